#include "zarnqtpresenters.h"

#include "zarnqtprogress.h"
#include "zarnqtresultlist.h"
#include "zarnqtscandialog.h"

namespace zarn {

std::unique_ptr<ProgressPresenter> QtPresenterFactory::MakeProgress() {
    return std::make_unique<QtProgressWindow>(m_parent);
}

std::unique_ptr<ResultListPresenter> QtPresenterFactory::MakeResultList() {
    return std::make_unique<QtResultList>(m_parent);
}

std::unique_ptr<ScanDialogPresenter> QtPresenterFactory::MakeScanDialog() {
    return std::make_unique<QtScanDialog>(m_parent);
}

std::unique_ptr<InfoPresenter> QtPresenterFactory::MakeInfo() {
    return std::make_unique<QtInfoWindow>(m_parent);
}

}  // namespace zarn
