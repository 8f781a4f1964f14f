// "Query Exceptions": the table of query exception patterns, with a footer. It changes
// nothing; OK closes it.
#ifndef ZARN_TOLLGATE_UI_QUERYEXCEPTIONWINDOW_H
#define ZARN_TOLLGATE_UI_QUERYEXCEPTIONWINDOW_H

#include <QDialog>

#include <functional>
#include <memory>

#include "zarn30listsources.h"
#include "zarn30uicontext.h"

namespace Ui {
class CQueryExceptionWindow;
}

class CQueryExceptionWindow : public QDialog {
public:
    CQueryExceptionWindow(const std::vector<QueryPermissionsItem> &entries,
                          const CZARN30UiContext &context, QWidget *parent = nullptr);
    ~CQueryExceptionWindow() override;
    zarn::CZARNListCtrl *List() const { return m_list; }

private:
    std::unique_ptr<Ui::CQueryExceptionWindow> m_ui;
    CZARN30QueryExceptionSource m_source;
    zarn::CZARNListCtrl *m_list;
};

class QtQueryExceptionPresenter : public QueryExceptionPresenter {
public:
    QtQueryExceptionPresenter(const CZARN30UiContext &context, QWidget *parent)
        : m_context(context), m_parent(parent) {}
    void Show(const std::vector<QueryPermissionsItem> &entries) override;
    std::function<void(QDialog &)> beforeShowing;

private:
    const CZARN30UiContext &m_context;
    QWidget *m_parent;
};

#endif
