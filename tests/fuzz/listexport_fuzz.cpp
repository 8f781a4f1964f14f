// The CSV and XML cell writers over arbitrary text: a CSV cell reads back exactly under RFC
// 4180 rules, and an XML element is well-formed and reads back as the text less what XML
// cannot hold.
#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "csvfield.h"
#include "zarnlistexport.h"

namespace {

std::string UnquoteCsv(const std::string &cell) {
    if (cell.empty() || cell[0] != '"') {
        if (cell.find_first_of(",\"\r\n") != std::string::npos) {
            std::abort();  // must have been quoted
        }
        return cell;
    }
    if (cell.size() < 2 || cell.back() != '"') {
        std::abort();
    }
    std::string text;
    for (size_t i = 1; i + 1 < cell.size(); ++i) {
        text += cell[i];
        if (cell[i] == '"') {
            if (cell[i + 1] != '"') {
                std::abort();  // a lone quote inside
            }
            ++i;
        }
    }
    return text;
}

// What XML 1.0 keeps of a text: no control characters but tab and line feed (a carriage
// return is kept through a reference); malformed UTF-8 becomes U+FFFD, and so do U+FFFE and
// U+FFFF, one mark for each.
bool OnlyDropped(const std::string &original, const std::string &read) {
    const std::string mark = "\xEF\xBF\xBD";
    size_t r = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(original[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            continue;
        }
        if (original.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < original.size() &&
            (static_cast<unsigned char>(original[i + 2]) & 0xFE) == 0xBE) {
            if (read.compare(r, 3, mark) != 0) {
                return false;
            }
            i += 2;
            r += 3;
            continue;
        }
        if (r < read.size() && read[r] == original[i]) {
            ++r;
            continue;
        }
        if (read.compare(r, 3, "\xEF\xBF\xBD") == 0) {
            r += 3;
            continue;
        }
        return false;
    }
    return r == read.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (UnquoteCsv(zarn::CsvField(text)) != text) {
        std::abort();
    }
    const std::string document = zarn::XmlElement(text.substr(0, 12), text);
    QXmlStreamReader xml(QByteArray::fromStdString(document));
    xml.readNextStartElement();
    const std::string read = xml.readElementText().toStdString();
    if (xml.hasError()) {
        std::abort();
    }
    const bool wellFormedInput =
        QString::fromUtf8(QByteArray::fromStdString(text)).toStdString() == text;
    if (wellFormedInput && !OnlyDropped(text, read)) {
        std::abort();
    }
    return 0;
}
