// A repository node: a destination (its children are the origins the volumes come from) or an
// origin (it points at its volumes).
#ifndef ZARN_ZARN10MFC_ZARN10TREEREPOSITORY_H
#define ZARN_ZARN10MFC_ZARN10TREEREPOSITORY_H

#include <map>
#include <memory>
#include <vector>

#include "zarn10treeshared.h"

class CZARN10MFC;
class CZARN10TreeMedia;
class CZARN10TreeVolume;

class CZARN10TreeRepository : public CZARN10TreeShared {
public:
    CZARN10TreeRepository(const std::string &repositoryId, CZARN10TreeMedia *owner,
                          CZARN10MFC *connection, int origin);

    CZARN10MFC *server;
    CZARN10TreeMedia *media;
    int isOrigin;
    std::map<std::string, std::unique_ptr<CZARN10TreeRepository>> origins;  // destinations only
    std::vector<CZARN10TreeVolume *> volumes;                               // origins only
    uint32_t repositoryFlags = 0;

    // Destination: counts the volume and files it under its origin.
    CZARN10TreeRepository *GetOrAddOrigin(CZARN10TreeVolume *volume, const std::string &originId);
    // Origin: counts the volume and keeps a pointer to it.
    void AddVolume(CZARN10TreeVolume *volume);

    std::string GetLabel() const override;
    void CollectDirections(std::vector<CZARN10Direction> &directions) const override;
};

#endif
