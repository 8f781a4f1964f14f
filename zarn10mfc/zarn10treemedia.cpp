#include "zarn10treemedia.h"

#include "zarn10mfc.h"
#include "zarnfields.h"

CZARN10TreeMedia::CZARN10TreeMedia(const ZARNMEDIAEx &record, CZARN10TreeCustomer *owner,
                                   CZARN10MFC *server, uint8_t depth)
    : customer(owner) {
    kind = kZarnTreeMedia;
    included = 1;
    id = zarn::ReadField(record.mediaId);
    name = zarn::ReadField(record.description);
    if (record.flags & kZarnMediaCountsGiven) {
        volumeCount = static_cast<int>(record.volumeCount);
        moveCount = static_cast<int>(record.moveCount);
        highlight = (record.flags & kZarnMediaHighlight) ? 1 : 0;
    }
    if (depth <= 2) {
        return;
    }
    const std::string customerId = zarn::ReadField(record.customerId);
    server->List(repositories, customerId.c_str(), id.c_str());
    std::vector<ZARNVOLSFULL> records;
    unsigned listed = 0;
    unsigned notDue = 0;
    if (server
            ->List(records, customerId.c_str(), id.c_str(), {kZarnVolDueToMove}, &listed, &notDue,
                   &thirdCount, 0, 0)
            .IsOK(0)) {
        volumes.resize(records.size());  // sized once: repository nodes keep pointers into it
        for (size_t k = 0; k < records.size(); ++k) {
            volumes[k].Initialise(records[k], this, server);
        }
    }
    volumeCount = static_cast<int>(listed);
    moveCount = static_cast<int>(listed) - static_cast<int>(notDue);
}

void CZARN10TreeMedia::CollectDirections(std::vector<CZARN10Direction> &directions) const {
    for (const auto &[destinationId, destination] : destinations) {
        destination->CollectDirections(directions);
    }
}
