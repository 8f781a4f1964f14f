// A media type of one customer: owns its volumes (by value) and its destination nodes.
#ifndef ZARN_ZARN10MFC_ZARN10TREEMEDIA_H
#define ZARN_ZARN10MFC_ZARN10TREEMEDIA_H

#include <map>
#include <memory>
#include <vector>

#include "zarn10treerepository.h"
#include "zarn10treeshared.h"
#include "zarn10treevolume.h"
#include "zarnrecords.h"

class CZARN10TreeCustomer;

class CZARN10TreeMedia : public CZARN10TreeShared {
public:
    CZARN10TreeMedia(const ZARNMEDIAEx &record, CZARN10TreeCustomer *owner, CZARN10MFC *server,
                     uint8_t depth);

    CZARN10TreeCustomer *customer;
    unsigned thirdCount = 0;
    int highlight = 0;
    std::vector<CZARN10TreeVolume> volumes;  // never resized after the build: nodes point in
    std::vector<ZARNREPOSITORYFULL> repositories;
    std::map<std::string, std::unique_ptr<CZARN10TreeRepository>> destinations;

    void CollectDirections(std::vector<CZARN10Direction> &directions) const override;
};

#endif
