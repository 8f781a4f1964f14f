#include "zarn10treerepository.h"

#include "zarn10treemedia.h"
#include "zarnfields.h"

CZARN10TreeRepository::CZARN10TreeRepository(const std::string &repositoryId,
                                             CZARN10TreeMedia *owner, CZARN10MFC *connection,
                                             int origin)
    : server(connection), media(owner), isOrigin(origin) {
    kind = kZarnTreeRepository;
    id = repositoryId;
    // Nodes are made once per repository id, and a media lists few repositories.
    for (const ZARNREPOSITORYFULL &record : owner->repositories) {
        if (zarn::ReadField(record.repositoryId) == id.substr(0, kZarnRepositoryIdWidth)) {
            name = zarn::ReadField(record.description);
            repositoryFlags = record.flags;
            break;
        }
    }
}

CZARN10TreeRepository *CZARN10TreeRepository::GetOrAddOrigin(CZARN10TreeVolume *volume,
                                                             const std::string &originId) {
    ++moveCount;
    auto &slot = origins[originId];
    if (!slot) {
        slot = std::make_unique<CZARN10TreeRepository>(originId, media, server, 1);
    }
    slot->AddVolume(volume);
    return slot.get();
}

void CZARN10TreeRepository::AddVolume(CZARN10TreeVolume *volume) {
    ++moveCount;
    volumes.push_back(volume);
}

std::string CZARN10TreeRepository::GetLabel() const {
    return id + " - " + name + " (" + std::to_string(moveCount) + ")";
}

void CZARN10TreeRepository::CollectDirections(std::vector<CZARN10Direction> &directions) const {
    if (isOrigin) {
        return;
    }
    for (const auto &[originId, node] : origins) {
        AddDirection(directions, originId, id);
    }
}
