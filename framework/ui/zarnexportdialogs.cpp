#include "zarnexportdialogs.h"

#include <QStyle>

#include "ui_exporttypedialog.h"
#include "ui_pdfoptionsdialog.h"

namespace zarn {

ExportTypeDialog::ExportTypeDialog(ExportableList &list, bool withMail, QWidget *parent)
    : QDialog(parent), m_list(list), m_ui(std::make_unique<Ui::ExportTypeDialog>()) {
    m_ui->setupUi(this);
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    m_ui->footerIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
    m_types.addButton(m_ui->pdf, kExportPdf);
    m_types.addButton(m_ui->csv, kExportCsv);
    m_types.addButton(m_ui->mail, kExportMail);
    m_types.addButton(m_ui->excel, kExportExcel);
    m_types.addButton(m_ui->text, kExportText);
    m_types.addButton(m_ui->xml, kExportXml);
    m_ui->mail->setVisible(withMail);
    connect(m_ui->ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->selectAll, &QPushButton::clicked, this, [this]() {
        m_list.SelectAll();
        ShowCounts();
        m_ui->selectAll->setEnabled(false);
    });
    ShowCounts();
    // Offered only while fewer rows are selected than the list holds.
    m_ui->selectAll->setVisible(m_list.SelectedItems().size() < m_list.AllItems().size());
}

ExportTypeDialog::~ExportTypeDialog() = default;

void ExportTypeDialog::ShowCounts() {
    m_ui->footer->setText(QString::fromStdString(
        ExportFooterText(static_cast<unsigned>(m_list.SelectedItems().size()),
                         static_cast<unsigned>(m_list.AllItems().size()))));
}

QString ExportTypeDialog::FooterText() const {
    return m_ui->footer->text();
}

ExportTypeChoice ExportTypeDialog::Choice() const {
    return {m_types.checkedId(), m_ui->openWhenDone->isChecked()};
}

PdfOptionsDialog::PdfOptionsDialog(const PdfOptions &options, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PdfOptionsDialog>()) {
    m_ui->setupUi(this);
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    m_sizes.addButton(m_ui->letter, 0);
    m_sizes.addButton(m_ui->legal, 1);
    m_sizes.addButton(m_ui->a4, 3);
    QAbstractButton *size = m_sizes.button(options.pageSize);
    (size ? size : m_ui->letter)->setChecked(true);
    m_ui->landscape->setChecked(options.landscape != 0);
    m_ui->exclusions->setText(QString::fromStdString(options.excludedColumns));
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

PdfOptionsDialog::~PdfOptionsDialog() = default;

PdfOptions PdfOptionsDialog::Options() const {
    return {m_sizes.checkedId(), m_ui->landscape->isChecked() ? 1 : 0,
            m_ui->exclusions->text().toStdString()};
}

std::optional<ExportTypeChoice> QtExportDialogs::ChooseType(ExportableList &list, bool withMail) {
    ExportTypeDialog dialog(list, withMail, m_parent);
    if (beforeShowing) {
        beforeShowing(dialog);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Choice();
}

bool QtExportDialogs::ChoosePdfOptions(PdfOptions &options) {
    PdfOptionsDialog dialog(options, m_parent);
    if (beforeShowing) {
        beforeShowing(dialog);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    options = dialog.Options();
    return true;
}

}  // namespace zarn
