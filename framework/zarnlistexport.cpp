#include "zarnlistexport.h"

#include <QString>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>

#include "csvfield.h"
#include "reportwriter.h"
#include "utf8sequence.h"

namespace zarn {
namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// U+FFFE or U+FFFF at text[i], which are well-formed UTF-8 but no XML character.
bool IsNonCharacter(const std::string &text, size_t i) {
    return text.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < text.size() &&
           (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE;
}

// Length of the UTF-8 sequence at text[i] that XML can hold, or 0.
size_t XmlCharacterLength(const std::string &text, size_t i) {
    return IsNonCharacter(text, i) ? 0 : Utf8SequenceLength(text, i);
}

// What an XML 1.0 document can hold of a text: control characters other than tab, line feed
// and carriage return are dropped; malformed UTF-8 (and U+FFFE, U+FFFF) becomes U+FFFD.
std::string XmlCharacters(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        const size_t length = XmlCharacterLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            i += IsNonCharacter(text, i) ? 3 : 1;  // one mark for the whole character
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    return out;
}

// Qt's UTF-8 decoding drops a leading U+FEFF as a byte order mark; in a cell or a title it is
// a character like any other (a zero-width no-break space) and stays.
QString TextOf(const std::string &utf8) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

// Whether XmlCharacters would leave the text as it is: printable ASCII, tab and line feed (the
// cells of most lists), checked without making a copy.
bool IsPlainXmlText(const std::string &text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n'; });
}

// Text inside one CDATA section; a "]]>" in it is split across two sections.
void AppendCdata(std::string &out, std::string_view text) {
    out += "<![CDATA[";
    for (std::size_t end; (end = text.find("]]>")) != std::string_view::npos;) {
        out.append(text.substr(0, end));
        out += "]]]]><![CDATA[>";
        text.remove_prefix(end + 3);
    }
    out.append(text);
    out += "]]>";
}

// One element of a record: the text as XML character data inside CDATA sections. The text is
// cleaned first, so that nothing dropped afterwards can join the pieces of a "]]>"; a carriage
// return goes between sections as a character reference, as a raw one would be read back as a
// line feed.
void AppendElement(std::string &out, const std::string &name, const std::string &text) {
    out += '<';
    out += name;
    out += '>';
    std::string cleaned;
    const std::string &clean = IsPlainXmlText(text) ? text : (cleaned = XmlCharacters(text));
    std::string_view rest(clean);
    for (std::size_t cr; (cr = rest.find('\r')) != std::string_view::npos;) {
        AppendCdata(out, rest.substr(0, cr));
        out += "&#13;";
        rest.remove_prefix(cr + 1);
    }
    AppendCdata(out, rest);
    out += "</";
    out += name;
    out += '>';
}

// A file written through one buffer that goes to the disk in large pieces; the first failure
// is kept and answered by Close.
class BufferedFile {
public:
    explicit BufferedFile(const std::string &path) : m_file(std::fopen(path.c_str(), "wb")) {
        m_buffer.reserve(kPiece + 4096);
    }
    ~BufferedFile() {
        if (m_file) {
            std::fclose(m_file);
        }
    }
    BufferedFile(const BufferedFile &) = delete;
    BufferedFile &operator=(const BufferedFile &) = delete;
    bool IsOpen() const { return m_file != nullptr; }
    std::string &Buffer() { return m_buffer; }
    // Writes the buffer once it holds a piece's worth.
    void Pass() {
        if (m_buffer.size() >= kPiece) {
            Flush();
        }
    }
    int Close() {
        Flush();
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!closed && m_failure == 0) {
            m_failure = errno ? errno : EIO;
        }
        return m_failure;
    }

private:
    static constexpr std::size_t kPiece = 1 << 16;
    void Flush() {
        if (!m_buffer.empty() && m_failure == 0 &&
            std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size()) {
            m_failure = errno ? errno : EIO;
        }
        m_buffer.clear();
    }
    FILE *m_file;
    std::string m_buffer;
    int m_failure = 0;
};

std::vector<std::string> Titles(const ListSource &source) {
    std::vector<std::string> titles;
    for (int column = 0; column < source.ColumnCount(); ++column) {
        titles.push_back(source.ColumnTitle(column));
    }
    return titles;
}

// Characters of UTF-8 text: the bytes that are not continuation bytes.
size_t CharacterCount(const std::string &text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Writes path whole or not at all: write makes a temporary file beside it, which is renamed
// over path when complete and removed when not, so a failed export (a full disk) never leaves
// a half file, nor spoils one that was there.
int WriteWhole(const std::string &path, const std::function<int(const std::string &)> &write) {
    const std::string partial = path + ".partial";
    int result = write(partial);
    if (result == 0 && std::rename(partial.c_str(), path.c_str()) != 0) {
        result = errno ? errno : EIO;
    }
    if (result != 0) {
        std::remove(partial.c_str());
    }
    return result;
}

}  // namespace

ColumnLayout GetColumnLayout(const ListSource &source, const std::vector<int> &allItems) {
    ColumnLayout layout;
    layout.titles = Titles(source);
    for (int column = 0; column < source.ColumnCount(); ++column) {
        size_t widest = CharacterCount(layout.titles[column]);
        for (int item : allItems) {
            widest = std::max(widest, CharacterCount(source.CellText(item, column)));
        }
        layout.widths.push_back(static_cast<unsigned>(widest));
    }
    return layout;
}

namespace {

// Whether XML readers take c in a name (at its start when first). Qt's reader and expat keep
// to the letters and digits of XML 1.0's older editions, narrower than Unicode's (CJK
// Extension A, for one, is not among them), so Qt's reader is asked, once per character.
bool XmlReadersTake(QChar c, bool first) {
    thread_local std::unordered_map<char16_t, bool> known[2];
    std::unordered_map<char16_t, bool> &answers = known[first ? 1 : 0];
    if (const auto found = answers.find(c.unicode()); found != answers.end()) {
        return found->second;
    }
    QXmlStreamReader reader((first ? QString("<") : QString("<a")) + c + "/>");
    reader.readNextStartElement();
    return answers[c.unicode()] = !reader.hasError();
}

}  // namespace

std::string XmlName(const std::string &title) {
    QString name;
    const QString text = TextOf(XmlCharacters(title));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isSurrogate()) {
            name += c.isHighSurrogate() ? "_" : "";  // beyond the basic plane: one "_"
            continue;
        }
        const bool kept = c.unicode() < 0x80 ? IsAsciiLetterOrDigit(static_cast<char>(c.unicode()))
                                             : c.isLetterOrNumber() && XmlReadersTake(c, false);
        name += kept ? c : QChar('_');
    }
    // A name starts with a letter or "_".
    if (name.isEmpty() ||
        (name.front() != '_' && !(name.front().isLetter() && XmlReadersTake(name.front(), true)))) {
        name.prepend('_');
    }
    return name.toStdString();
}

std::string ExcelCell(const std::string &text) {
    static const std::string mark = " [cut]";
    constexpr std::size_t kMaxCharacters = 32767;
    std::string clean = XmlCharacters(text);
    std::size_t characters = 0;
    std::size_t cutAt = 0;  // where the text is cut when it must be
    for (std::size_t i = 0; i < clean.size(); ++i) {
        if ((static_cast<unsigned char>(clean[i]) & 0xC0) == 0x80) {
            continue;
        }
        if (++characters == kMaxCharacters - mark.size() + 1) {
            cutAt = i;
        }
    }
    if (characters > kMaxCharacters) {
        clean.resize(cutAt);
        clean += mark;
    }
    return clean;
}

std::string XmlElement(const std::string &title, const std::string &text) {
    std::string element;
    AppendElement(element, XmlName(title), text);
    return element;
}

namespace {

int WriteCsvFile(const std::string &path, const ListSource &source, const std::vector<int> &items) {
    BufferedFile file(path);
    if (!file.IsOpen()) {
        return kExportOpenFailed;
    }
    std::string &out = file.Buffer();
    const int columns = source.ColumnCount();
    for (int column = 0; column < columns; ++column) {
        out += column ? "," : "";
        AppendCsvField(out, source.ColumnTitle(column));
    }
    for (int item : items) {
        out += "\r\n";
        for (int column = 0; column < columns; ++column) {
            out += column ? "," : "";
            AppendCsvField(out, source.CellText(item, column));
        }
        file.Pass();
    }
    return file.Close();
}

// The document's layout is as it always was: CR LF line ends, a tab before each element of a
// record.
int WriteXmlFile(const std::string &path, const ListSource &source, const std::vector<int> &items) {
    BufferedFile file(path);
    if (!file.IsOpen()) {
        return kExportOpenFailed;
    }
    std::vector<std::string> names;  // once per column, not per cell
    for (const std::string &title : Titles(source)) {
        names.push_back(XmlName(title));
    }
    std::string &out = file.Buffer();
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ZARNXML>\r\n";
    for (int item : items) {
        out += "<record>\r\n";
        for (std::size_t column = 0; column < names.size(); ++column) {
            out += '\t';
            AppendElement(out, names[column], source.CellText(item, static_cast<int>(column)));
            out += "\r\n";
        }
        out += "</record>\r\n";
        file.Pass();
    }
    out += "</ZARNXML>\r\n";
    return file.Close();
}

int WriteExcelFile(const std::string &path, const ListSource &source, const std::vector<int> &items,
                   std::string *why) {
    // Rows go straight to the file as they are written: a list of 100,000 rows needs neither
    // the memory nor the time of a shared-strings table.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *workbook = workbook_new_opt(path.c_str(), &options);
    if (!workbook) {
        return kExportOpenFailed;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Export");
    lxw_error failed = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
    const auto put = [&](lxw_row_t row, int column, const std::string &text) {
        if (failed == LXW_NO_ERROR) {
            failed = worksheet_write_string(sheet, row, static_cast<lxw_col_t>(column),
                                            ExcelCell(text).c_str(), nullptr);
        }
    };
    const int columns = source.ColumnCount();
    for (int column = 0; column < columns; ++column) {
        put(0, column, source.ColumnTitle(column));
    }
    lxw_row_t row = 1;
    for (int item : items) {
        for (int column = 0; column < columns; ++column) {
            put(row, column, source.CellText(item, column));
        }
        ++row;
    }
    const lxw_error closed = workbook_close(workbook);
    failed = failed != LXW_NO_ERROR ? failed : closed;
    if (failed != LXW_NO_ERROR && why) {
        *why = lxw_strerror(failed);
    }
    return failed == LXW_NO_ERROR ? 0 : EIO;
}

}  // namespace

int WriteCsv(const std::string &path, const ListSource &source, const std::vector<int> &items) {
    return WriteWhole(
        path, [&](const std::string &partial) { return WriteCsvFile(partial, source, items); });
}

int WriteXml(const std::string &path, const ListSource &source, const std::vector<int> &items) {
    return WriteWhole(
        path, [&](const std::string &partial) { return WriteXmlFile(partial, source, items); });
}

int WriteExcel(const std::string &path, const ListSource &source, const std::vector<int> &items,
               std::string *why) {
    return WriteWhole(path, [&](const std::string &partial) {
        return WriteExcelFile(partial, source, items, why);
    });
}

namespace {

// The report's columns, header, rows and trailer, to an open report writer.
void PrintReport(ReportWriter &report, const ReportExport &options, const ListSource &source,
                 const std::vector<int> &allItems, const std::vector<int> &items) {
    const ColumnLayout layout = GetColumnLayout(source, allItems);
    for (size_t column = 0; column < layout.titles.size(); ++column) {
        report.AddColumn(&report, layout.widths[column], layout.titles[column].c_str(), 0);
    }
    report.PrintHeader(&report, nullptr, options.description.c_str(), "%s", options.notes.c_str());
    const int columns = source.ColumnCount();
    for (int item : items) {
        std::string row;
        for (int column = 0; column < columns; ++column) {
            row += source.CellText(item, column) + " |";
        }
        report.PrintRow(&report, "%s", row.c_str());
    }
    report.PrintTrailer(&report);
}

// PDF: the report writer saves the file whole itself, where ZARNPDFOUTPUTPATH says if set.
int WritePdfReport(ReportExport &options, const ListSource &source,
                   const std::vector<int> &allItems, const std::vector<int> &items) {
    ReportWriter report;
    if (int failed = ReportInit(&report)) {
        return failed;
    }
    report.format = ZARN_REPORT_PDF;
    report.SetOrientation(&report, options.landscape);
    report.SetPageSize(&report, options.pageSize);
    report.SetOutputFile(&report, options.path.c_str());
    report.SetLogo(&report, options.logo.c_str());
    std::snprintf(report.columnDeleteList, sizeof report.columnDeleteList, "%.127s",
                  options.excludedColumns.c_str());
    PrintReport(report, options, source, allItems, items);
    report.Close(&report);
    options.written = report.savedPath;
    return report.GetResult(&report);
}

int WriteTextReport(const std::string &path, const ReportExport &options, const ListSource &source,
                    const std::vector<int> &allItems, const std::vector<int> &items) {
    ReportWriter report;
    if (int failed = ReportInit(&report)) {
        return failed;
    }
    FILE *file = std::fopen(path.c_str(), "w");
    if (!file) {
        report.Close(&report);
        return kExportOpenFailed;
    }
    report.output = file;
    PrintReport(report, options, source, allItems, items);
    int result = std::fclose(file) != 0 ? (errno ? errno : EIO) : 0;
    report.output = nullptr;
    report.Close(&report);
    return result ? result : report.GetResult(&report);
}

}  // namespace

int WriteReport(ReportExport &options, const ListSource &source, const std::vector<int> &allItems,
                const std::vector<int> &items) {
    if (options.pdf) {
        return WritePdfReport(options, source, allItems, items);
    }
    const int result = WriteWhole(options.path, [&](const std::string &partial) {
        return WriteTextReport(partial, options, source, allItems, items);
    });
    options.written = result == 0 ? options.path : "";
    return result;
}

}  // namespace zarn
