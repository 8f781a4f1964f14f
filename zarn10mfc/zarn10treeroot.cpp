#include "zarn10treeroot.h"

#include <strings.h>

#include <unordered_map>

#include "zarnclock.h"
#include "zarnfields.h"

CZARN10TreeRoot::CZARN10TreeRoot(CZARN10MFC *server, uint8_t treeDepth,
                                 CZARN10ProgressWnd *progress, zarn::TreeControl *,
                                 const CZARNFilter *customerFilter)
    : depth(treeDepth), buildTime(ZarnNow()) {
    kind = kZarnTreeRoot;
    included = 1;
    Build(server, progress, customerFilter);
}

void CZARN10TreeRoot::Build(CZARN10MFC *server, CZARN10ProgressWnd *progress,
                            const CZARNFilter *filter) {
    if (server->WasCancelled(1)) {
        return;
    }
    ZARNSERVERID identity;
    const CZARN10RC identified = server->Get(&identity);
    if (server->WasCancelled(1) || !identified.IsOK(0)) {
        return;
    }
    id = zarn::ReadField(identity.serverId);
    name = zarn::ReadField(identity.serverName);

    std::vector<ZARNCUSTEx> customerRecords;
    const CZARN10RC listed = server->List(customerRecords);
    if (server->WasCancelled(1) || !listed.IsOK(0)) {
        return;
    }
    const unsigned total = static_cast<unsigned>(customerRecords.size());
    progress->SetTitle("Building Customer Tree");
    progress->Start();
    progress->SetPosition(0, total);

    // Every customer's media from one call, handed to each customer as its own share: a
    // customer never walks the others' media.
    std::vector<ZARNMEDIAEx> allMedia;
    server->List(allMedia);
    std::unordered_map<std::string, std::vector<ZARNMEDIAEx>> mediaByCustomer;
    for (const ZARNMEDIAEx &media : allMedia) {
        mediaByCustomer[zarn::ReadField(media.customerId)].push_back(media);
    }

    for (unsigned i = 0; i < total && !progress->HasCancelled(); ++i) {
        const ZARNCUSTEx &record = customerRecords[i];
        const std::string customerId = zarn::ReadField(record.customerId);
        if (filter && !FilterMatches(*filter, customerId.c_str())) {
            continue;
        }
        const std::string customerName = zarn::ReadField(record.name);
        progress->SetLine1(
            "Loading %s", (customerName.empty() ? "ID(" + customerId + ")" : customerName).c_str());
        const std::vector<ZARNMEDIAEx> *shared =
            allMedia.empty() ? nullptr : &mediaByCustomer[customerId];
        auto customer =
            std::make_unique<CZARN10TreeCustomer>(record, server, shared, depth, progress);
        if (customer->included) {
            volumeCount += customer->volumeCount;
            moveCount += customer->moveCount;
            customers[customerId] = std::move(customer);
        }
        progress->SetPosition(i + 1, total);
    }
    progress->Stop();
}

namespace {

using zarn::TreeControl;

bool IdLess(void *a, void *b) {
    return strcasecmp(static_cast<CZARN10TreeShared *>(a)->id.c_str(),
                      static_cast<CZARN10TreeShared *>(b)->id.c_str()) < 0;
}

void SortRecursively(TreeControl &control, TreeControl::Item item) {
    control.SortChildren(item, IdLess);
    for (TreeControl::Item child : control.Children(item)) {
        if (!control.Children(child).empty()) {
            SortRecursively(control, child);
        }
    }
}

TreeControl::Item Insert(TreeControl &control, const CZARN10TreeShared &node, int image,
                         TreeControl::Item parent, bool bold) {
    const TreeControl::Item item = control.InsertItem(node.GetLabel(), image, image, parent,
                                                      const_cast<CZARN10TreeShared *>(&node));
    if (bold) {
        control.SetItemBold(item, true);
    }
    return item;
}

void InsertMedia(TreeControl &control, const CZARN10TreeMedia &media, TreeControl::Item parent,
                 int hideNoMoves) {
    const TreeControl::Item mediaItem =
        Insert(control, media, kZarnImageMedia, parent, media.moveCount != 0);
    for (const auto &[destinationId, destination] : media.destinations) {
        if (hideNoMoves && destination->moveCount == 0) {
            continue;
        }
        const TreeControl::Item destinationItem =
            Insert(control, *destination, kZarnImageRepository, mediaItem, false);
        for (const auto &[originId, origin] : destination->origins) {
            if (!(hideNoMoves && origin->moveCount == 0)) {
                Insert(control, *origin, kZarnImageRepository, destinationItem, false);
            }
        }
    }
}

}  // namespace

void CZARN10TreeRoot::FillTreeCtrl(TreeControl &control, int hideNoMoves) const {
    control.DeleteAllItems();
    const TreeControl::Item rootItem = Insert(control, *this, kZarnImageServer, 0, moveCount != 0);
    for (const auto &[customerId, customer] : customers) {
        if ((hideNoMoves && customer->moveCount == 0) ||
            (customer->customerFlags & kZarnCustExcluded) ||
            (customer->volumeCount == 0 && (customer->customerFlags & kZarnCustHideWhenEmpty))) {
            continue;
        }
        const TreeControl::Item customerItem =
            Insert(control, *customer, kZarnImageCustomer, rootItem, customer->moveCount != 0);
        for (const auto &[mediaId, media] : customer->media) {
            if (!(hideNoMoves && media->moveCount == 0)) {
                InsertMedia(control, *media, customerItem, hideNoMoves);
            }
        }
    }
    SortRecursively(control, rootItem);
}

void CZARN10TreeRoot::CollectDirections(std::vector<CZARN10Direction> &directions) const {
    for (const auto &[customerId, customer] : customers) {
        customer->CollectDirections(directions);
    }
}
