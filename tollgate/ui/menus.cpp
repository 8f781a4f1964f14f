// Menu resource 128: the context menus of the filter dialog, the tree and the three lists.
#include "filterdialog.h"
#include "scanlists.h"
#include "zarn30treecommands.h"
#include "zarn30uicontext.h"

void RegisterTollgateMenus() {
    zarn::RegisterMenuResource(kMenuResource, [](QMenuBar &bar) {
        QMenu *filter = bar.addMenu("FILTER");
        zarn::AddCommand(*filter, "&Check All", kCmdCheckAll);
        QMenu *tree = bar.addMenu("TREE");
        zarn::AddCommand(*tree, "&Add", kCmdTreeAdd, Qt::Key_Space);
        zarn::AddCommand(*tree, "&Rebuild", kCmdTreeRebuild, Qt::Key_F5);
        zarn::AddCommand(*tree, "&Queue Blank Ship List", kCmdTreeQueueBlank);
        zarn::AddCommand(*tree, "Print Blank Ship List Queue", kCmdTreePrintBlankQueue);
        QMenu *active = bar.addMenu("ACTIVE");
        QMenu *activeExport = active->addMenu("Export");
        zarn::AddCommand(*activeExport, "To &Text File", kCmdActiveExportText);
        zarn::AddCommand(*activeExport, "To &XML", kCmdActiveExportXml);
        zarn::AddCommand(*active, "&Resolve", kCmdActiveResolve);
        QMenu *scanned = bar.addMenu("SCANNED");
        QMenu *scannedExport = scanned->addMenu("Export");
        zarn::AddCommand(*scannedExport, "To &Text File", kCmdScannedExportText);
        zarn::AddCommand(*scannedExport, "Export to &XML", kCmdScannedExportXml);
        QMenu *error = bar.addMenu("ERROR");
        QMenu *errorExport = error->addMenu("Export");
        zarn::AddCommand(*errorExport, "To &Text File", kCmdErrorExportText);
        zarn::AddCommand(*errorExport, "Export to &XML", kCmdErrorExportXml);
    });
}
