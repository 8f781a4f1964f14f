// "Scan Error Warning": the rejected scans, newest first, before a server update.
#ifndef ZARN_TOLLGATE_UI_BADSCANWARNING_H
#define ZARN_TOLLGATE_UI_BADSCANWARNING_H

#include <QDialog>

#include <memory>

#include "zarn30listsources.h"
#include "zarn30scanning.h"
#include "zarn30uicontext.h"

namespace Ui {
class CBadScanWarning;
}

class CBadScanWarning : public QDialog {
public:
    CBadScanWarning(const std::vector<CZARN30BadScanItem> &errors, const CZARN30UiContext &context,
                    QWidget *parent = nullptr);
    ~CBadScanWarning() override;
    zarn::CZARNListCtrl *List() const { return m_list; }

private:
    std::unique_ptr<Ui::CBadScanWarning> m_ui;
    CZARN30WarningSource m_source;
    zarn::CZARNListCtrl *m_list;
};

// The presenter the scanning logic runs.
class QtScanErrorWarning : public ScanErrorWarningPresenter {
public:
    QtScanErrorWarning(const CZARN30UiContext &context, QWidget *parent)
        : m_context(context), m_parent(parent) {}
    bool Run(const std::vector<CZARN30BadScanItem> &errors) override;
    std::function<void(QDialog &)> beforeShowing;

private:
    const CZARN30UiContext &m_context;
    QWidget *m_parent;
};

#endif
