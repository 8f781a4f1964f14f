#include "receiptprintprompt.h"

#include <QMessageBox>

#include "ui_receiptprintprompt.h"

CReceiptPrintPrompt::CReceiptPrintPrompt(CZARN30ReceiptPrompt &prompt, ShowMessage showMessage,
                                         QWidget *parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CReceiptPrintPrompt>()),
      m_prompt(prompt),
      m_showMessage(std::move(showMessage)) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // A spin box's text field is what takes the focus: it carries the spin box's name.
    for (auto [spin, name] :
         {std::pair<QSpinBox *, const char *>{m_ui->days, "Days until Ship Date"},
          {m_ui->line1Quantity, "Line 1 quantity"},
          {m_ui->line2Quantity, "Line 2 quantity"}}) {
        spin->setAccessibleName(name);
        if (auto *field = spin->findChild<QLineEdit *>()) {
            field->setAccessibleName(name);
        }
    }
    for (QComboBox *combo : {m_ui->line1Entry, m_ui->line2Entry}) {
        for (const CZARN30ReceiptPrompt::Choice &choice : m_prompt.Choices()) {
            combo->addItem(QString::fromStdString(choice.name), choice.position);
        }
    }
    connect(m_ui->ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->line1Entry, &QComboBox::activated, this, [this](int at) { Chosen(0, at); });
    connect(m_ui->line2Entry, &QComboBox::activated, this, [this](int at) { Chosen(1, at); });
}

CReceiptPrintPrompt::~CReceiptPrintPrompt() = default;

CReceiptPrintPrompt::ShowMessage CReceiptPrintPrompt::MessageBoxes(QWidget *parent) {
    return [parent](CZARN30ReceiptPrompt::Outcome outcome, const std::string &message) {
        const bool warning = outcome == CZARN30ReceiptPrompt::Outcome::NoChargeWarning;
        QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Critical,
                        warning ? kNoChargeWarningCaption : "Billing Error",
                        QString::fromStdString(message), QMessageBox::Ok, parent);
        box.exec();
    };
}

int CReceiptPrintPrompt::DoModal() {
    m_prompt.BeginShowing();
    ShowValues();
    return exec();
}

void CReceiptPrintPrompt::ShowValues() {
    m_ui->customer->setText(QString::fromStdString(m_prompt.customerLabel));
    m_ui->days->setValue(m_prompt.daysUntilShip);
    m_ui->boxNumbers->setPlainText(QString::fromStdString(m_prompt.boxNumbers));
    m_ui->shipNotes->setText(QString::fromStdString(m_prompt.shipNotes));
    m_ui->allowNoCharge->setChecked(m_prompt.allowNoCharge);
    QComboBox *entries[] = {m_ui->line1Entry, m_ui->line2Entry};
    QSpinBox *quantities[] = {m_ui->line1Quantity, m_ui->line2Quantity};
    QLineEdit *texts[] = {m_ui->line1Text, m_ui->line2Text};
    for (int line = 0; line < 2; ++line) {
        const CZARN30ReceiptPrompt::Line &values = m_prompt.lines[line];
        entries[line]->setCurrentIndex(values.selection < entries[line]->count() ? values.selection
                                                                                 : -1);
        quantities[line]->setValue(static_cast<int>(values.quantity));
        texts[line]->setText(QString::fromStdString(values.text));
    }
}

void CReceiptPrintPrompt::TakeValues() {
    m_prompt.daysUntilShip = m_ui->days->value();
    m_prompt.boxNumbers = m_ui->boxNumbers->toPlainText().toStdString();
    m_prompt.shipNotes = m_ui->shipNotes->text().toStdString();
    m_prompt.allowNoCharge = m_ui->allowNoCharge->isChecked();
    const QComboBox *entries[] = {m_ui->line1Entry, m_ui->line2Entry};
    const QSpinBox *quantities[] = {m_ui->line1Quantity, m_ui->line2Quantity};
    const QLineEdit *texts[] = {m_ui->line1Text, m_ui->line2Text};
    for (int line = 0; line < 2; ++line) {
        CZARN30ReceiptPrompt::Line &values = m_prompt.lines[line];
        values.selection = entries[line]->currentIndex();
        values.quantity = static_cast<unsigned>(quantities[line]->value());
        values.text = texts[line]->text().toStdString();
    }
}

void CReceiptPrintPrompt::Chosen(int line, int selection) {
    TakeValues();
    m_prompt.Choose(line, selection);
    ShowValues();
}

void CReceiptPrintPrompt::done(int result) {
    TakeValues();
    std::string message;
    const CZARN30ReceiptPrompt::Outcome outcome = m_prompt.Confirm(message);
    if (outcome == CZARN30ReceiptPrompt::Outcome::Close) {
        QDialog::done(result);
        return;
    }
    if (m_showMessage) {
        m_showMessage(outcome, message);
    }
}
