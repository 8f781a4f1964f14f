#include "badscanwarning.h"

#include <QVBoxLayout>

#include "ui_badscanwarning.h"

CBadScanWarning::CBadScanWarning(const std::vector<CZARN30BadScanItem> &errors,
                                 const CZARN30UiContext &context, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBadScanWarning>()), m_source(errors) {
    m_ui->setupUi(this);
    auto *layout = new QVBoxLayout(m_ui->listHolder);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new zarn::CZARNListCtrl(&m_source, context.list, m_ui->listHolder);
    m_list->setObjectName("errors");
    m_list->SetListName("Rejected scans");
    layout->addWidget(m_list);
    m_list->Refresh();
    connect(m_ui->clearWarning, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->abortUpdate, &QPushButton::clicked, this, &QDialog::reject);
}

CBadScanWarning::~CBadScanWarning() = default;

bool QtScanErrorWarning::Run(const std::vector<CZARN30BadScanItem> &errors) {
    CBadScanWarning dialog(errors, m_context, m_parent);
    if (beforeShowing) {
        beforeShowing(dialog);
    }
    return dialog.exec() == QDialog::Accepted;
}
