#include "optionsbar.h"

#include <QVBoxLayout>

#include "ui_optionsbar.h"

COptionsDialogBar::COptionsDialogBar(zarn::Profile &profile, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::COptionsDialogBar>()) {
    m_ui->setupUi(this);
    auto *layout = new QVBoxLayout(m_ui->customerFilterHolder);
    layout->setContentsMargins(0, 0, 0, 0);
    m_customerFilter = new zarn::CZARNEdit(profile, m_ui->customerFilterHolder);
    m_customerFilter->setObjectName("customerFilter");
    m_customerFilter->setAccessibleName("Customer Filter");
    m_customerFilter->SetSmartEditId("CustomerFilter", "Customer Filter String");
    layout->addWidget(m_customerFilter);
    m_ui->customerFilterLabel->setBuddy(m_customerFilter);
}

COptionsDialogBar::~COptionsDialogBar() = default;

void COptionsDialogBar::Initialise(CZARN30Doc &doc) {
    m_doc = &doc;
    CZARN30Settings &settings = doc.settings;
    m_ui->hideNoMoves->setChecked(settings.hideNoMove != 0);
    m_ui->pickInVolserOrder->setChecked(settings.noSort != 0);
    m_ui->pickOutOfSequence->setChecked(settings.noSequence != 0);
    (settings.operationType == 1 ? m_ui->query : m_ui->pick)->setChecked(true);
    m_ui->dateWarning->setCurrentIndex(
        std::clamp(settings.dateWarning, 0, m_ui->dateWarning->count() - 1));
    connect(m_ui->hideNoMoves, &QCheckBox::toggled, this,
            [this](bool on) { m_doc->settings.hideNoMove = on ? 1 : 0; });
    connect(m_ui->pickOutOfSequence, &QCheckBox::toggled, this,
            [this](bool on) { m_doc->settings.noSequence = on ? 1 : 0; });
    connect(m_ui->pickInVolserOrder, &QCheckBox::toggled, this,
            [this](bool on) { m_doc->settings.noSort = on ? 1 : 0; });
    connect(m_ui->dateWarning, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_doc->settings.dateWarning = index;
        m_doc->UpdateAllViews(nullptr, zarn::kHintListsChanged);
    });
    connect(m_ui->query, &QRadioButton::toggled, this,
            [this](bool query) { m_doc->settings.operationType = query ? 1 : 0; });
    doc.showContainer = [this](const std::string &name) { SetContainerName(name); };
}

void COptionsDialogBar::SetContainerName(const std::string &name) {
    m_ui->containerName->setText(QString::fromStdString(name));
}

std::string COptionsDialogBar::CustomerFilter() const {
    return m_customerFilter->text().toStdString();
}
