#include "zarn10treecustomer.h"

#include "zarn10mfc.h"
#include "zarnfields.h"

CZARN10TreeCustomer::CZARN10TreeCustomer(const ZARNCUSTEx &record, CZARN10MFC *server,
                                         const std::vector<ZARNMEDIAEx> *sharedMedia, uint8_t depth,
                                         CZARN10ProgressWnd *progress) {
    kind = kZarnTreeCustomer;
    included = 1;
    id = zarn::ReadField(record.customerId);
    name = zarn::ReadField(record.name);
    customerValue = record.customerValue;
    customerFlags = record.flags;
    if (customerFlags & kZarnCustExcluded) {
        return;
    }
    if (sharedMedia) {
        for (const ZARNMEDIAEx &mediaRecord : *sharedMedia) {
            if (progress && progress->HasCancelled()) {
                break;
            }
            if (zarn::FieldEquals(mediaRecord.customerId, id)) {
                AddMedia(mediaRecord, server, depth, progress);
            }
        }
        return;
    }
    std::vector<ZARNMEDIAEx> own;
    if (!server->List(own, id.c_str()).IsOK(0)) {
        return;
    }
    for (const ZARNMEDIAEx &mediaRecord : own) {
        if (progress && progress->HasCancelled()) {
            break;
        }
        AddMedia(mediaRecord, server, depth, progress);
    }
}

void CZARN10TreeCustomer::AddMedia(const ZARNMEDIAEx &record, CZARN10MFC *server, uint8_t depth,
                                   CZARN10ProgressWnd *progress) {
    const std::string mediaId = zarn::ReadField(record.mediaId);
    const std::string description = zarn::ReadField(record.description);
    if (progress) {
        progress->SetLine2("Loading %s",
                           (description.empty() ? "ID(" + mediaId + ")" : description).c_str());
    }
    auto node = std::make_unique<CZARN10TreeMedia>(record, this, server, depth);
    if (!node->included) {
        return;
    }
    volumeCount += node->volumeCount;
    moveCount += node->moveCount;
    highlightCount += node->highlight;
    media[mediaId] = std::move(node);
}

void CZARN10TreeCustomer::CollectDirections(std::vector<CZARN10Direction> &directions) const {
    for (const auto &[mediaId, node] : media) {
        node->CollectDirections(directions);
    }
}
