// The export flows of every list: the export type selection, the save dialogs, the CSV, text,
// XML, Excel and PDF exports, and the question whether to open the result. The dialogs are
// behind ExportDialogs, so the flows run without a screen.
#ifndef ZARN_FRAMEWORK_ZARNLISTEXPORTER_H
#define ZARN_FRAMEWORK_ZARNLISTEXPORTER_H

#include <optional>
#include <string>
#include <vector>

#include "zarndesktop.h"
#include "zarnlistsource.h"
#include "zarnprofile.h"
#include "zarnuiservices.h"

namespace zarn {

// Open modes of an export's result.
constexpr int kOpenAsk = 0;
constexpr int kOpenAlways = 1;
constexpr int kOpenNever = 2;

// Export types, as the type selection numbers its radio buttons.
constexpr int kExportCsv = 1;
constexpr int kExportMail = 2;
constexpr int kExportText = 3;
constexpr int kExportXml = 4;
constexpr int kExportExcel = 5;
constexpr int kExportPdf = 6;

// What the exports need of the list.
class ExportableList {
public:
    virtual ~ExportableList() = default;
    virtual const ListSource &Source() const = 0;
    // Every row's item, and the selected rows' items, in list order.
    virtual std::vector<int> AllItems() const = 0;
    virtual std::vector<int> SelectedItems() const = 0;
    virtual void SelectAll() = 0;
    // The selection check: the selected count, 0 when the operation must not go on.
    virtual int RequireSelection() = 0;
};

struct ExportTypeChoice {
    int type = kExportPdf;
    bool openWhenDone = true;
};

struct PdfOptions {
    int pageSize = 0;  // 0 letter, 1 legal, 3 A4
    int landscape = 0;
    std::string excludedColumns;
};

class ExportDialogs {
public:
    virtual ~ExportDialogs() = default;
    // "Export Type Selection"; the dialog may select every row of the list. nullopt: cancelled.
    virtual std::optional<ExportTypeChoice> ChooseType(ExportableList &list, bool withMail) = 0;
    // "PDF Export Options", filled with the last choices; false: cancelled.
    virtual bool ChoosePdfOptions(PdfOptions &options) = 0;
};

// "The export will contain %u selected records (of %u available)."
std::string ExportFooterText(unsigned selected, unsigned available);

class CZARNListExporter {
public:
    struct Services {
        UiServices *ui = nullptr;
        DesktopServices *desktop = nullptr;
        Profile *profile = nullptr;
        ExportDialogs *dialogs = nullptr;
        std::string caption;      // the program's name, for plain message boxes
        std::string logoPath;     // the PDF report's logo
        std::string profileName;  // the list's persistence name ("" for every list here)
    };
    CZARNListExporter(ExportableList &list, Services services);

    // The selection check, then the type dialog, then the chosen export.
    void ExportWithTypeSelection(const std::string &title,
                                 const std::vector<std::string> *recipients);
    void ExportCsv(int openMode);
    int ExportText(const std::string &title, const std::string &path, int openMode);
    void ExportXml(int openMode);
    void ExportExcel(int openMode);
    int ExportPdf(const std::string &title, int openMode);
    void ShowExportResult(const std::string &typeName, unsigned count, const std::string &path,
                          int openMode);

    // The per-list profile section "CListCtrl_<name>".
    std::string Section() const { return "CListCtrl_" + m_services.profileName; }
    const std::string &ReportDescription() const { return m_reportDescription; }

private:
    bool HasContent() const;
    std::optional<std::string> AskPath(const std::string &filter, const std::string &name,
                                       const std::string &extension);
    void OpenFailed();
    // "%s Export failed with result code: %u", and why (the system's text, or reason).
    void WriteFailed(const std::string &kind, int result, const std::string &reason = "");
    // Where the save dialog opens: the folder of the last export, else the user's documents.
    std::string ExportFolder() const;
    void TakeDescription(const std::string &title);

    ExportableList &m_list;
    Services m_services;
    std::string m_reportDescription;
    std::string m_reportNotes;
};

}  // namespace zarn

#endif
