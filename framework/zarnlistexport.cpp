#include "zarnlistexport.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
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

// One element of a record: the text as XML character data inside CDATA sections (QXmlStreamWriter
// splits a "]]>" across two). The text is cleaned first, so that nothing dropped afterwards
// can join the pieces of a "]]>"; a carriage return goes between sections as a character
// reference, as a raw one would be read back as a line feed.
void WriteElement(QXmlStreamWriter &xml, const QString &name, const std::string &text) {
    xml.writeStartElement(name);
    const QStringList pieces = TextOf(XmlCharacters(text)).split('\r');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            xml.writeEntityReference("#13");
        }
        xml.writeCDATA(pieces[i]);
    }
    xml.writeEndElement();
}

std::vector<std::string> Titles(const ListSource &source) {
    std::vector<std::string> titles;
    for (int column = 0; column < source.ColumnCount(); ++column) {
        titles.push_back(source.ColumnTitle(column));
    }
    return titles;
}

int Written(std::ofstream &file) {
    file.close();
    return file ? 0 : (errno ? errno : EIO);
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
    QByteArray written;
    QXmlStreamWriter xml(&written);
    WriteElement(xml, QString::fromStdString(XmlName(title)), text);
    return written.toStdString();
}

namespace {

int WriteCsvFile(const std::string &path, const ListSource &source, const std::vector<int> &items) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return kExportOpenFailed;
    }
    const int columns = source.ColumnCount();
    for (int column = 0; column < columns; ++column) {
        file << (column ? "," : "") << CsvField(source.ColumnTitle(column));
    }
    for (int item : items) {
        file << "\r\n";
        for (int column = 0; column < columns; ++column) {
            file << (column ? "," : "") << CsvField(source.CellText(item, column));
        }
    }
    return Written(file);
}

int WriteXmlFile(const std::string &path, const ListSource &source, const std::vector<int> &items) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return kExportOpenFailed;
    }
    QStringList names;  // once per column, not per cell
    for (const std::string &title : Titles(source)) {
        names.append(QString::fromStdString(XmlName(title)));
    }
    QXmlStreamWriter xml(&file);
    // The document's layout is written as it always was: CR LF line ends, a tab before each
    // element of a record.
    xml.writeStartDocument();
    xml.writeCharacters("\r\n");
    xml.writeStartElement("ZARNXML");
    xml.writeCharacters("\r\n");
    for (int item : items) {
        xml.writeStartElement("record");
        xml.writeCharacters("\r\n");
        for (qsizetype column = 0; column < names.size(); ++column) {
            xml.writeCharacters("\t");
            WriteElement(xml, names[column], source.CellText(item, static_cast<int>(column)));
            xml.writeCharacters("\r\n");
        }
        xml.writeEndElement();
        xml.writeCharacters("\r\n");
    }
    xml.writeEndElement();
    xml.writeCharacters("\r\n");
    file.close();
    if (xml.hasError() || file.error() != QFileDevice::NoError) {
        return errno ? errno : EIO;
    }
    return 0;
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
