// The export dialogs as Qt dialogs: the export type selection and the PDF options.
#ifndef ZARN_FRAMEWORK_UI_ZARNEXPORTDIALOGS_H
#define ZARN_FRAMEWORK_UI_ZARNEXPORTDIALOGS_H

#include <QButtonGroup>
#include <QDialog>

#include <functional>
#include <memory>

#include "zarnlistexporter.h"

namespace Ui {
class ExportTypeDialog;
class PdfOptionsDialog;
}  // namespace Ui

namespace zarn {

class ExportTypeDialog : public QDialog {
public:
    ExportTypeDialog(ExportableList &list, bool withMail, QWidget *parent = nullptr);
    ~ExportTypeDialog() override;
    ExportTypeChoice Choice() const;
    QString FooterText() const;

private:
    void ShowCounts();
    ExportableList &m_list;
    std::unique_ptr<Ui::ExportTypeDialog> m_ui;
    QButtonGroup m_types;
};

class PdfOptionsDialog : public QDialog {
public:
    explicit PdfOptionsDialog(const PdfOptions &options, QWidget *parent = nullptr);
    ~PdfOptionsDialog() override;
    PdfOptions Options() const;

private:
    std::unique_ptr<Ui::PdfOptionsDialog> m_ui;
    QButtonGroup m_sizes;
};

// ExportDialogs over the two dialogs. Tests may look at a dialog before it runs.
class QtExportDialogs : public ExportDialogs {
public:
    explicit QtExportDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    std::optional<ExportTypeChoice> ChooseType(ExportableList &list, bool withMail) override;
    bool ChoosePdfOptions(PdfOptions &options) override;
    // Called with each dialog just before it is shown.
    std::function<void(QDialog &)> beforeShowing;

private:
    QWidget *m_parent;
};

}  // namespace zarn

#endif
