// The server library's windows: the scan dialog, the progress window, the result list and the
// information windows, as Qt widgets behind the library's presenters.
#ifndef ZARN_SERVERLIB_UI_ZARNQTPRESENTERS_H
#define ZARN_SERVERLIB_UI_ZARNQTPRESENTERS_H

#include <QWidget>

#include "zarnpresenters.h"

namespace zarn {

class QtPresenterFactory : public PresenterFactory {
public:
    // parent: the main window, owner of the library's windows.
    explicit QtPresenterFactory(QWidget *parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget *parent) { m_parent = parent; }
    std::unique_ptr<ProgressPresenter> MakeProgress() override;
    std::unique_ptr<ResultListPresenter> MakeResultList() override;
    std::unique_ptr<ScanDialogPresenter> MakeScanDialog() override;
    std::unique_ptr<InfoPresenter> MakeInfo() override;

private:
    QWidget *m_parent;
};

}  // namespace zarn

#endif
