// The root of the movement tree: the connected server and its customers. Constructing it
// builds the whole tree.
#ifndef ZARN_ZARN10MFC_ZARN10TREEROOT_H
#define ZARN_ZARN10MFC_ZARN10TREEROOT_H

#include <map>
#include <memory>

#include "zarn10mfc.h"
#include "zarn10progresswnd.h"
#include "zarn10treecustomer.h"
#include "zarnfilter.h"
#include "zarntreecontrol.h"

// Images of the tree items.
constexpr int kZarnImageServer = 0;
constexpr int kZarnImageCustomer = 1;
constexpr int kZarnImageMedia = 2;
constexpr int kZarnImageRepository = 3;

class CZARN10TreeRoot : public CZARN10TreeShared {
public:
    CZARN10TreeRoot(CZARN10MFC *server, uint8_t depth, CZARN10ProgressWnd *progress,
                    zarn::TreeControl *treeControl, const CZARNFilter *customerFilter);

    std::map<std::string, std::unique_ptr<CZARN10TreeCustomer>> customers;
    uint8_t depth;
    int64_t buildTime;

    // Replaces the control's items with the tree, in id order at every level.
    void FillTreeCtrl(zarn::TreeControl &control, int hideNoMoves) const;
    void CollectDirections(std::vector<CZARN10Direction> &directions) const override;

private:
    void Build(CZARN10MFC *server, CZARN10ProgressWnd *progress, const CZARNFilter *filter);
};

#endif
