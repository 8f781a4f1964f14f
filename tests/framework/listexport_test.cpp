// The list exports, each read back by a real reader: CSV by a strict RFC 4180 parser, XML by
// QXmlStreamReader, the workbook by unpacking it, PDF and text by pdftotext and a plain read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "csvfield.h"
#include "pdfprobe.h"
#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "tablesource.h"
#include "zarnlistexport.h"
#include "zarnlistexporter.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string Read(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// RFC 4180, strictly: fields separated by commas, records by CRLF; a quoted field holds
// anything with quotes doubled; a quote inside an unquoted field is an error.
std::vector<std::vector<std::string>> ParseCsv(const std::string &text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    size_t i = 0;
    bool quoted = false;
    while (i <= text.size()) {
        if (i == text.size() || text[i] == ',' || text.compare(i, 2, "\r\n") == 0) {
            records.back().push_back(field);
            field.clear();
            quoted = false;
            if (i < text.size() && text[i] == '\r') {
                records.emplace_back();
                ++i;
            }
            ++i;
            continue;
        }
        if (text[i] == '"' && field.empty() && !quoted) {
            quoted = true;
            for (++i;; ++i) {
                if (i >= text.size()) {
                    throw std::runtime_error("unterminated quote");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
            if (i < text.size() && text[i] != ',' && text.compare(i, 2, "\r\n") != 0) {
                throw std::runtime_error("text after a closing quote");
            }
            continue;
        }
        if (text[i] == '"' || text[i] == '\r' || text[i] == '\n') {
            throw std::runtime_error("quote or line break in an unquoted field");
        }
        field += text[i++];
    }
    return records;
}

std::vector<std::map<std::string, std::string>> ParseXml(const std::string &path,
                                                         std::string &error) {
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&file);
    std::vector<std::map<std::string, std::string>> records;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("record")) {
            records.emplace_back();
        } else if (xml.isStartElement() && !records.empty()) {
            const std::string name = xml.name().toString().toStdString();
            records.back()[name] = xml.readElementText().toStdString();
        }
    }
    error = xml.hasError() ? xml.errorString().toStdString() : "";
    return records;
}

class ListExportTest : public ::testing::Test {
protected:
    TempDir folder;
    TableSource table;
    TableList list{table};
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScriptedExportDialogs dialogs;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARNListExporter> exporter;
    ScopedEnvironment noFormat{"ZARNREPORTFORMAT", nullptr};
    ScopedEnvironment noDelete{"ZARNREPORTCOLUMNDELETE", nullptr};
    ScopedEnvironment noLogo{"ZARNPDFLOGOPATH", nullptr};
    ScopedEnvironment noOutput{"ZARNPDFOUTPUTPATH", nullptr};
    ScopedEnvironment noOrientation{"ZARNPDFORIENTATION", nullptr};
    ScopedEnvironment noSize{"ZARNPDFPAGESIZE", nullptr};

    void SetUp() override {
        Profile::RedirectForTests(folder.Path().string());
        profile = std::make_unique<Profile>("ZARNTollgate");
        table.titles = {"Volume-ID", "Customer", "Note"};
        table.cells = {{"A00001", "ACME", "plain"},
                       {"A00002", "Müller, Söhne", "said \"hello\""},
                       {"A00003", "BETA", "two\r\nlines and ]]> end"},
                       {"A00004", "GAMMA", "tab\there, ctl\x01 gone ]\x01]><i/>"}};
        list.selected = {0, 1, 2};
        exporter = std::make_unique<CZARNListExporter>(
            list, CZARNListExporter::Services{&ui, &desktop, profile.get(), &dialogs,
                                              "Kestrava Tollgate", "", ""});
    }
    std::string Choose(const std::string &name) {
        const std::string path = (folder.Path() / name).string();
        ui.ChooseFile(path);
        return path;
    }
};

TEST_F(ListExportTest, CsvIsReadBackExactlyByAStrictParser) {
    const std::string path = Choose("list.csv");
    exporter->ExportCsv(kOpenNever);
    const std::string text = Read(path);
    const auto records = ParseCsv(text);
    ASSERT_EQ(records.size(), 4u) << "a title line and three rows";
    EXPECT_THAT(records[0], ElementsAre("Volume-ID", "Customer", "Note"));
    EXPECT_THAT(records[2], ElementsAre("A00002", "Müller, Söhne", "said \"hello\""));
    EXPECT_THAT(records[3], ElementsAre("A00003", "BETA", "two\r\nlines and ]]> end"));
    EXPECT_NE(text.substr(text.size() - 2), "\r\n") << "no line break after the last row";
    EXPECT_EQ(ui.fileDialogs[0].fileName, "Kestrava CSV Export.csv");
    EXPECT_EQ(ui.fileDialogs[0].filter, "CSV File (*.csv)");
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(ListExportTest, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(CsvField("plain"), "plain");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"x\", y"), "\"say \"\"x\"\", y\"");
    EXPECT_EQ(CsvField("say \"x\""), "\"say \"\"x\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

TEST_F(ListExportTest, XmlIsWellFormedAndEveryCellReadsBack) {
    table.titles = {"Volume-ID", "", "1st", "Note"};
    for (auto &row : table.cells) {
        row.insert(row.begin() + 1, "x");
    }
    table.cells[0][3] = "\x01\xEF\xBB\xBFjoined";  // U+FEFF first once the control is gone
    const std::string path = Choose("list.xml");
    exporter->ExportXml(kOpenNever);
    std::string error;
    const auto records = ParseXml(path, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].at("Volume_ID"), "A00002");
    EXPECT_EQ(records[1].at("_1st"), "Müller, Söhne");
    EXPECT_EQ(records[1].at("_"), "x");
    EXPECT_EQ(records[0].at("Note"), "\xEF\xBB\xBFjoined") << "a U+FEFF in a cell is kept";
    EXPECT_EQ(records[2].at("Note"), "two\r\nlines and ]]> end");
    EXPECT_THAT(Read(path), ::testing::StartsWith(
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ZARNXML>\r\n"));

    list.selected = {3};
    Choose("control.xml");
    exporter->ExportXml(kOpenNever);
    const auto control = ParseXml((folder.Path() / "control.xml").string(), error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(control[0].at("Note"), "tab\there, ctl gone ]]><i/>")
        << "XML cannot hold \\x01, and what is left of the text stays text";
}

TEST_F(ListExportTest, TheWorkbookHoldsTheTitlesAndCellsAsStrings) {
    table.cells[0][0] = "00042";  // stays text, leading zeros and all
    const std::string path = Choose("list.xlsx");
    exporter->ExportExcel(kOpenNever);
    const auto unpack = [&](const char *member) {
        return CommandOutput("unzip -p '" + path + "' " + member);
    };
    const std::string workbook = unpack("xl/workbook.xml");
    EXPECT_THAT(workbook, HasSubstr("name=\"Export\""));
    const std::string sheet = unpack("xl/worksheets/sheet1.xml");
    for (const char *text : {"Volume-ID", "00042", "Müller, Söhne", "said \"hello\""}) {
        EXPECT_THAT(sheet, HasSubstr(std::string("<t>") + text + "</t>")) << text;
    }
    EXPECT_THAT(sheet, HasSubstr("<c r=\"A2\" t=\"inlineStr\">")) << "a string cell";
    EXPECT_THAT(sheet, ::testing::Not(HasSubstr("A5"))) << "three rows and the titles";
    EXPECT_EQ(ui.fileDialogs[0].fileName, "Kestrava Excel Export.xlsx");
}

TEST_F(ListExportTest, AFailedWorkbookIsReportedAndNotOffered) {
    ui.ChooseFile((folder.Path() / "missing" / "list.xlsx").string());
    ui.Answer(kAnswerOk);
    exporter->ExportExcel(kOpenAsk);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Export Error");
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(ListExportTest, TextAndPdfReportsKeepTheirFirstTitle) {
    const std::string text = Choose("list.txt");
    EXPECT_EQ(exporter->ExportText("Scanned Volumes", "", kOpenNever), 1);
    const std::string report = Read(text);
    EXPECT_THAT(report, HasSubstr("Scanned Volumes"));
    EXPECT_THAT(report, HasSubstr("A00002"));
    EXPECT_THAT(report, ::testing::Not(HasSubstr("A00004")));

    dialogs.pdf = PdfOptions{3, 1, "2,40"};
    const std::string pdf = Choose("list.pdf");
    ui.Answer(kAnswerYes);
    EXPECT_EQ(exporter->ExportPdf("Another Title", kOpenAsk), 1);
    EXPECT_EQ(ui.boxes.back().caption, "Open File");
    EXPECT_EQ(ui.boxes.back().text,
              "Exported 3 records.\n\nWould you like to open the exported Adobe PDF File?");
    EXPECT_THAT(desktop.opened, ElementsAre("file://" + pdf));
    const std::string page = PdfPageText(pdf, 1);
    EXPECT_THAT(page, HasSubstr("Scanned Volumes")) << "the first title stays";
    EXPECT_THAT(page, HasSubstr("Volume-ID"));
    EXPECT_THAT(page, HasSubstr("Note"));
    EXPECT_THAT(page, ::testing::Not(HasSubstr("Customer"))) << "column 2 left out, 40 ignored";
    EXPECT_EQ(profile->GetInt("CListCtrl_", "PDFPageSize", -1), 3);
    EXPECT_EQ(profile->GetInt("CListCtrl_", "PDFPageOrientation", -1), 1);
    EXPECT_EQ(profile->GetString("CListCtrl_", "PDFExclusionColumns", ""), "2,40");

    Choose("again.pdf");
    exporter->ExportPdf("x", kOpenNever);
    EXPECT_EQ(dialogs.offeredPdf.pageSize, 3) << "the last choices are offered";
    EXPECT_EQ(dialogs.offeredPdf.excludedColumns, "2,40");
}

TEST_F(ListExportTest, CancelledDialogsAndEmptyListsWriteNothing) {
    ui.ChooseFile(std::nullopt);
    exporter->ExportCsv(kOpenAlways);
    dialogs.pdf.reset();
    EXPECT_EQ(exporter->ExportPdf("x", kOpenAlways), 0);
    EXPECT_EQ(ui.fileDialogs.size(), 1u) << "no save dialog after a cancelled PDF dialog";
    table.cells.clear();
    exporter->ExportXml(kOpenAlways);
    EXPECT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(ListExportTest, TheTypeSelectionRunsTheChosenExport) {
    dialogs.type = ExportTypeChoice{kExportCsv, false};
    const std::string path = Choose("chosen.csv");
    exporter->ExportWithTypeSelection("Export", nullptr);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(desktop.opened.empty()) << "the box was cleared: not opened, not asked";
    EXPECT_TRUE(ui.boxes.empty());

    dialogs.type = ExportTypeChoice{kExportXml, true};
    const std::string xml = Choose("chosen.xml");
    exporter->ExportWithTypeSelection("Export", nullptr);
    EXPECT_THAT(desktop.opened, ElementsAre("file://" + xml));

    list.selected.clear();  // the selection check answers 0
    exporter->ExportWithTypeSelection("Export", nullptr);
    EXPECT_EQ(dialogs.typeDialogs, 2);
}

TEST_F(ListExportTest, AnUnwritableFileIsOneMessage) {
    ui.ChooseFile((folder.Path() / "missing" / "x.csv").string());
    ui.Answer(kAnswerOk);
    exporter->ExportCsv(kOpenAlways);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Failed to open output file");
    EXPECT_EQ(ui.boxes[0].caption, "Kestrava Tollgate");
    EXPECT_TRUE(desktop.opened.empty());
}

// The sheet of a workbook as a conforming XML parser reads it: every cell's text in order,
// or the parser's error.
std::vector<std::string> SheetCells(const std::string &workbook, std::string &error) {
    const std::string sheet = CommandOutput("unzip -p '" + workbook + "' xl/worksheets/sheet1.xml");
    QXmlStreamReader xml(QByteArray::fromStdString(sheet));
    std::vector<std::string> cells;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"t") {
            cells.push_back(xml.readElementText().toStdString());
        }
    }
    error = xml.hasError() ? xml.errorString().toStdString() : "";
    return cells;
}

TEST_F(ListExportTest, AWorkbookHoldsWhatAnyCellHoldsAndSaysWhatItCut) {
    table.cells[0][2] = "Latin-1 line: M\xFCller";  // as QueryExceptions.txt may hold
    table.cells[1][2] = std::string(40000, 'x');    // beyond a cell's 32,767 characters
    list.selected = {0, 1};
    const std::string path = Choose("cells.xlsx");
    exporter->ExportExcel(kOpenNever);
    EXPECT_TRUE(ui.boxes.empty()) << "a success is a success";
    std::string error;
    const std::vector<std::string> cells = SheetCells(path, error);
    EXPECT_EQ(error, "") << "a conforming reader takes the sheet";
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(cells[5],
              "Latin-1 line: M\xEF\xBF\xBD"
              "ller");
    const QString cut = QString::fromStdString(cells[8]);
    EXPECT_EQ(cut.size(), 32767) << "as much as a cell holds";
    EXPECT_TRUE(cut.endsWith(" [cut]"));
}

TEST_F(ListExportTest, APdfPrintsEveryLetterAndOpensTheFileItWrote) {
    table.titles[2] = "Numéro";
    table.cells[0][1] = "Ünï Ærø Łódź";
    list.selected = {0};
    const std::string elsewhere = (folder.Path() / "elsewhere.pdf").string();
    ScopedEnvironment output("ZARNPDFOUTPUTPATH", elsewhere.c_str());
    dialogs.pdf = PdfOptions{3, 0, ""};
    const std::string chosen = Choose("chosen.pdf");
    EXPECT_EQ(exporter->ExportPdf("Titles", kOpenAlways), 1);
    EXPECT_FALSE(std::filesystem::exists(chosen));
    EXPECT_THAT(desktop.opened, ElementsAre("file://" + elsewhere)) << "the file written";
    const std::string page = PdfPageText(elsewhere, 1);
    EXPECT_THAT(page, HasSubstr("Ünï Ærø Łódź"));
    EXPECT_THAT(page, HasSubstr("Numéro"));
}

TEST_F(ListExportTest, TextColumnsLineUpByCharactersAndNamesKeepTheirLetters) {
    table.titles[1] = "Numéro";
    table.cells[0][1] = "Müller";
    table.cells[1][1] = "Mx";
    const std::string text = Choose("widths.txt");
    exporter->ExportText("Widths", "", kOpenNever);
    const std::string report = Read(text);
    EXPECT_THAT(report, ::testing::Not(HasSubstr("Report Notes:"))) << "no notes, no line";
    // The third column starts at the same character in every row.
    std::vector<size_t> starts;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        const size_t at =
            line.find("plain") != std::string::npos ? line.find("plain") : line.find("said");
        if (at != std::string::npos) {
            starts.push_back(QString::fromStdString(line.substr(0, at)).size());
        }
    }
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], starts[1]);
    EXPECT_EQ(XmlName("Numéro"), "Numéro");
    EXPECT_EQ(XmlName("Volume-ID"), "Volume_ID");
    EXPECT_EQ(XmlName("1st"), "_1st");
    // Letters to Unicode that XML readers refuse in names (CJK Extension A, found by fuzzing).
    EXPECT_EQ(XmlName("\xE4\xA4\x8D"), "_");
    EXPECT_EQ(XmlName("A\xE4\xA4\x8D\xE4\xB8\x80"), "A_\xE4\xB8\x80");
    for (const char *title : {"\xE4\xA4\x8D",
                              "\xD9\xA0"
                              "x",
                              "\xCC\x81"
                              "a"}) {
        QXmlStreamReader reader(QString::fromStdString(XmlElement(title, "text")));
        reader.readNextStartElement();
        EXPECT_EQ(reader.readElementText(), "text") << title;
        EXPECT_FALSE(reader.hasError()) << title << ": " << reader.errorString().toStdString();
    }
}

TEST_F(ListExportTest, AnExportThatCannotBeWrittenLeavesTheOldFileAndSaysWhy) {
    const std::string path = (folder.Path() / "kept.csv").string();
    {
        std::ofstream old(path);
        old << "the export of yesterday\n";
    }
    table.cells[0][2] = std::string(100000, 'y');
    // Room for a few kilobytes only, as on a full disk.
    struct rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    struct rlimit small = before;
    small.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    ui.ChooseFile(path);
    ui.Answer(kAnswerOk);
    exporter->ExportCsv(kOpenAlways);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Export Error");
    EXPECT_THAT(ui.boxes[0].text, HasSubstr("File too large"));
    EXPECT_EQ(Read(path), "the export of yesterday\n") << "nothing half-written over it";
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(ListExportTest, TheSaveDialogOpensInTheLastExportsFolder) {
    Choose("first.csv");
    exporter->ExportCsv(kOpenNever);
    EXPECT_NE(ui.fileDialogs[0].folder, "") << "the documents folder, not the root";
    Choose("second.csv");
    exporter->ExportCsv(kOpenNever);
    EXPECT_EQ(ui.fileDialogs[1].folder, folder.Path().string());
}

}  // namespace
