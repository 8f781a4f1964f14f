#include "zarncsv.h"

#include "csvfield.h"

namespace zarn {
namespace {
const char kByteOrderMark[] = "\xEF\xBB\xBF";
}

std::string CsvLine(const std::vector<std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i > 0 ? "," : "") + CsvField(fields[i]);
    }
    return line + "\n";
}

bool CsvReader::Next(std::vector<std::string> &fields) {
    fields.clear();
    if (!m_error.empty() || m_input.peek() == std::char_traits<char>::eof()) {
        return false;
    }
    if (!m_started && m_input.peek() == 0xEF) {
        // A byte-order mark some programs put before UTF-8 text: not part of the first name.
        // Only the file's very start is looked at, once.
        char mark[3] = {};
        m_input.read(mark, 3);
        if (std::string(mark, 3) != kByteOrderMark) {
            m_error = "line 1: the file does not start with text";
            return false;
        }
    }
    m_started = true;
    ++m_line;
    const int start = m_line;
    std::string field;
    bool quoted = false;
    bool wasQuoted = false;
    for (int c = m_input.get();; c = m_input.get()) {
        if (c == std::char_traits<char>::eof()) {
            if (quoted) {
                m_error = "line " + std::to_string(start) + ": a quoted field is not closed";
                return false;
            }
            break;
        }
        const char ch = static_cast<char>(c);
        if (quoted) {
            if (ch == '"') {
                if (m_input.peek() == '"') {
                    field += '"';
                    m_input.get();
                } else {
                    quoted = false;
                }
            } else {
                m_line += ch == '\n' ? 1 : 0;
                field += ch;
            }
        } else if (ch == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (ch == ',') {
            fields.push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (ch == '\n') {
            break;
        } else if (ch == '\r' && m_input.peek() == '\n') {
            continue;
        } else if (ch == '\r') {
            m_error =
                "line " + std::to_string(m_line) +
                ": a line ends with a carriage return alone (lines must end with LF or CR LF)";
            return false;
        } else if (wasQuoted) {
            m_error = "line " + std::to_string(m_line) + ": text after a quoted field";
            return false;
        } else {
            field += ch;
        }
    }
    fields.push_back(field);
    return true;
}

}  // namespace zarn
