#include "zarnlistexporter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include <QDir>
#include <QStandardPaths>

#include "zarnlistexport.h"

namespace zarn {

std::string ExportFooterText(unsigned selected, unsigned available) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "The export will contain %u selected records (of %u available).", selected,
                  available);
    return text;
}

CZARNListExporter::CZARNListExporter(ExportableList &list, Services services)
    : m_list(list), m_services(std::move(services)) {}

bool CZARNListExporter::HasContent() const {
    return m_list.Source().ColumnCount() > 0 && !m_list.AllItems().empty();
}

void CZARNListExporter::ExportWithTypeSelection(const std::string &title,
                                                const std::vector<std::string> *recipients) {
    if (m_list.RequireSelection() == 0) {
        return;
    }
    const std::optional<ExportTypeChoice> choice =
        m_services.dialogs->ChooseType(m_list, recipients != nullptr);
    if (!choice) {
        return;
    }
    const int openMode = choice->openWhenDone ? kOpenAlways : kOpenNever;
    switch (choice->type) {
        case kExportCsv:
            ExportCsv(openMode);
            break;
        case kExportText:
            ExportText(title, "", openMode);
            break;
        case kExportXml:
            ExportXml(openMode);
            break;
        case kExportExcel:
            ExportExcel(openMode);
            break;
        case kExportPdf:
            ExportPdf(title, openMode);
            break;
        default:
            break;  // mail needs recipients, which no list of these programs has
    }
}

std::optional<std::string> CZARNListExporter::AskPath(const std::string &filter,
                                                      const std::string &name,
                                                      const std::string &extension) {
    FileDialogRequest request;
    request.title = "Save As";
    request.folder = ExportFolder();
    request.fileName = name;
    request.filter = filter;
    std::string path;
    if (!m_services.ui->SaveFileDialog(request, path)) {
        return std::nullopt;
    }
    if (std::filesystem::path(path).extension().empty()) {
        path += "." + extension;
    }
    m_services.profile->WriteString(Section(), "ExportFolder",
                                    std::filesystem::path(path).parent_path().string());
    return path;
}

std::string CZARNListExporter::ExportFolder() const {
    const std::string last = m_services.profile->GetString(Section(), "ExportFolder", "");
    std::error_code failed;
    if (!last.empty() && std::filesystem::is_directory(last, failed)) {
        return last;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath().toStdString() : documents.toStdString();
}

void CZARNListExporter::OpenFailed() {
    m_services.ui->MessageBox("Failed to open output file", m_services.caption,
                              kBoxOk | kBoxIconError);
}

void CZARNListExporter::WriteFailed(const std::string &kind, int result,
                                    const std::string &reason) {
    if (result == kExportOpenFailed) {
        OpenFailed();
        return;
    }
    char text[400];
    std::snprintf(text, sizeof text,
                  "%s Export failed with result code: %u (%s). Nothing was "
                  "written.",
                  kind.c_str(), static_cast<unsigned>(result),
                  reason.empty() ? std::strerror(result) : reason.c_str());
    m_services.ui->MessageBox(text, "Export Error", kBoxOk | kBoxIconError);
}

void CZARNListExporter::ExportCsv(int openMode) {
    if (!HasContent()) {
        return;
    }
    const auto path = AskPath("CSV File (*.csv)", "Kestrava CSV Export.csv", "csv");
    if (!path) {
        return;
    }
    const std::vector<int> items = m_list.SelectedItems();
    if (const int result = WriteCsv(*path, m_list.Source(), items)) {
        WriteFailed("CSV", result);
        return;
    }
    ShowExportResult("CSV", static_cast<unsigned>(items.size()), *path, openMode);
}

void CZARNListExporter::TakeDescription(const std::string &title) {
    if (m_reportDescription.empty()) {
        m_reportDescription = title;  // the first title stays for the list's life
    }
}

int CZARNListExporter::ExportText(const std::string &title, const std::string &givenPath,
                                  int openMode) {
    if (!HasContent()) {
        return 0;
    }
    std::string path = givenPath;
    if (path.empty()) {
        const auto chosen = AskPath("Text File (*.txt)", "Kestrava Text Export.txt", "txt");
        if (!chosen) {
            return 0;
        }
        path = *chosen;
    }
    TakeDescription(title);
    ReportExport report;
    report.path = path;
    report.description = m_reportDescription;
    report.notes = m_reportNotes;
    const std::vector<int> items = m_list.SelectedItems();
    if (const int result = WriteReport(report, m_list.Source(), m_list.AllItems(), items)) {
        WriteFailed("Text", result);
        return 0;
    }
    ShowExportResult("Text", static_cast<unsigned>(items.size()), path, openMode);
    return 1;
}

void CZARNListExporter::ExportXml(int openMode) {
    if (!HasContent()) {
        return;
    }
    const auto path = AskPath("XML File (*.xml)", "Kestrava XML Export.xml", "xml");
    if (!path) {
        return;
    }
    const std::vector<int> items = m_list.SelectedItems();
    if (const int result = WriteXml(*path, m_list.Source(), items)) {
        WriteFailed("XML", result);
        return;
    }
    ShowExportResult("XML", static_cast<unsigned>(items.size()), *path, openMode);
}

void CZARNListExporter::ExportExcel(int openMode) {
    if (!HasContent()) {
        return;
    }
    const auto path =
        AskPath("Microsoft Excel File (*.xlsx)", "Kestrava Excel Export.xlsx", "xlsx");
    if (!path) {
        return;
    }
    const std::vector<int> items = m_list.SelectedItems();
    std::string why;
    if (const int result = WriteExcel(*path, m_list.Source(), items, &why)) {
        // Reported, and no offer to open a file that was not written.
        WriteFailed("Excel", result == kExportOpenFailed ? EIO : result, why);
        return;
    }
    ShowExportResult("XLSX", static_cast<unsigned>(items.size()), *path, openMode);
}

int CZARNListExporter::ExportPdf(const std::string &title, int openMode) {
    if (!HasContent()) {
        return 0;
    }
    Profile &profile = *m_services.profile;
    PdfOptions options;
    options.pageSize = profile.GetInt(Section(), "PDFPageSize", 0);
    options.landscape = profile.GetInt(Section(), "PDFPageOrientation", 0);
    options.excludedColumns = profile.GetString(Section(), "PDFExclusionColumns", "");
    if (!m_services.dialogs->ChoosePdfOptions(options)) {
        return 0;
    }
    const auto path = AskPath("Adobe PDF File (*.pdf)", "Kestrava Export.pdf", "pdf");
    if (!path) {
        return 0;
    }
    profile.WriteInt(Section(), "PDFPageSize", options.pageSize);
    profile.WriteInt(Section(), "PDFPageOrientation", options.landscape ? 1 : 0);
    profile.WriteString(Section(), "PDFExclusionColumns", options.excludedColumns);
    profile.Flush();
    TakeDescription(title);
    ReportExport report;
    report.path = *path;
    report.pdf = 1;
    report.landscape = options.landscape ? 1 : 0;
    report.pageSize = options.pageSize;
    report.logo = m_services.logoPath;
    report.excludedColumns = options.excludedColumns;
    report.description = m_reportDescription;
    report.notes = m_reportNotes;
    const std::vector<int> items = m_list.SelectedItems();
    if (const int result = WriteReport(report, m_list.Source(), m_list.AllItems(), items)) {
        WriteFailed("PDF", result == kExportOpenFailed ? EIO : result);
        return 1;
    }
    // The file written, which ZARNPDFOUTPUTPATH may have put elsewhere than the dialog said.
    ShowExportResult("Adobe PDF", static_cast<unsigned>(items.size()), report.written, openMode);
    return 1;
}

void CZARNListExporter::ShowExportResult(const std::string &typeName, unsigned count,
                                         const std::string &path, int openMode) {
    if (openMode == kOpenNever) {
        return;
    }
    if (openMode == kOpenAsk) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Exported %u records.\n\nWould you like to open the exported %s File?", count,
                      typeName.c_str());
        if (m_services.ui->MessageBox(text, "Open File", kBoxYesNo | kBoxIconQuestion) !=
            kAnswerYes) {
            return;
        }
    }
    CZARNAssociation(*m_services.desktop, path).Open();
}

}  // namespace zarn
