#include "queryexceptionwindow.h"

#include <QVBoxLayout>

#include "ui_queryexceptionwindow.h"

namespace {
const int kFooterId = 144;
}

CQueryExceptionWindow::CQueryExceptionWindow(const std::vector<QueryPermissionsItem> &entries,
                                             const CZARN30UiContext &context, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CQueryExceptionWindow>()), m_source(entries) {
    m_ui->setupUi(this);
    auto *layout = new QVBoxLayout(m_ui->listHolder);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new zarn::CZARNListCtrl(&m_source, context.list, m_ui->listHolder);
    m_list->setObjectName("exceptions");
    m_list->SetListName("Query exceptions");
    layout->addWidget(m_list);
    m_list->AttachFooter(kFooterId);
    m_list->Refresh();
    connect(m_ui->ok, &QPushButton::clicked, this, &QDialog::accept);
}

CQueryExceptionWindow::~CQueryExceptionWindow() = default;

void QtQueryExceptionPresenter::Show(const std::vector<QueryPermissionsItem> &entries) {
    CQueryExceptionWindow window(entries, m_context, m_parent);
    if (beforeShowing) {
        beforeShowing(window);
    }
    window.exec();
}
