// A customer of the movement tree and its media types.
#ifndef ZARN_ZARN10MFC_ZARN10TREECUSTOMER_H
#define ZARN_ZARN10MFC_ZARN10TREECUSTOMER_H

#include <map>
#include <memory>
#include <vector>

#include "zarn10progresswnd.h"
#include "zarn10treemedia.h"
#include "zarnrecords.h"

class CZARN10TreeCustomer : public CZARN10TreeShared {
public:
    // sharedMedia: this customer's media, taken from one call for every customer (records of
    // other customers are passed over), or null to list this customer's own.
    CZARN10TreeCustomer(const ZARNCUSTEx &record, CZARN10MFC *server,
                        const std::vector<ZARNMEDIAEx> *sharedMedia, uint8_t depth,
                        CZARN10ProgressWnd *progress);

    int customerValue = 0;
    uint32_t customerFlags = 0;
    int highlightCount = 0;
    std::map<std::string, std::unique_ptr<CZARN10TreeMedia>> media;

    void CollectDirections(std::vector<CZARN10Direction> &directions) const override;

private:
    void AddMedia(const ZARNMEDIAEx &record, CZARN10MFC *server, uint8_t depth,
                  CZARN10ProgressWnd *progress);
};

#endif
