#include "zarn30queryexceptions.h"

#include <cstring>
#include <fstream>

#include "textutil.h"
#include "zarn10treevolume.h"
#include "zarnstationfiles.h"

namespace {

// Lines are read 1023 characters at a time, as the file was always read: a longer line
// comes in pieces, each taken as a line of its own.
constexpr std::size_t kPiece = 1023;

}  // namespace

std::vector<std::string> SplitExceptionLine(const std::string &line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool closed = false;  // text after a closing quote is dropped up to the next comma
    for (char c : line) {
        if (c == '"') {
            if (quoted) {
                closed = true;
            }
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
            closed = false;
        } else if (!closed) {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

void CQueryExceptionDlg::Load() {
    m_entries.clear();
    std::ifstream input(zarn::LocateStationFile(m_path));
    if (input) {
        Load(input);
    }
}

void CQueryExceptionDlg::Load(std::istream &input) {
    m_entries.clear();
    std::string piece;
    char c = 0;
    while (input.get(c) || !piece.empty()) {
        if (input) {
            piece += c;
            if (c != '\n' && piece.size() < kPiece) {
                continue;
            }
        }
        TakeLine(piece);
        piece.clear();
    }
}

void CQueryExceptionDlg::TakeLine(std::string line) {
    if (line.empty() || line[0] == '#') {
        return;
    }
    if (static_cast<unsigned char>(line.back()) < 32) {
        line.pop_back();  // the line feed
    }
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    const std::vector<std::string> fields = SplitExceptionLine(TrimBlanks(text.data()));
    if (fields.size() != 5) {
        return;
    }
    QueryPermissionsItem &item = m_entries.emplace_back();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        item.patterns[i].pattern = fields[i];
    }
}

int CQueryExceptionDlg::Match(const CZARN10TreeVolume &item) const {
    const std::string values[5] = {item.GetCustomerId(), item.GetMediaId(), item.volumeSerial,
                                   item.GetRepositoryId(1), item.GetRepositoryId(0)};
    for (const QueryPermissionsItem &entry : m_entries) {
        bool all = true;
        for (int i = 0; i < 5 && all; ++i) {
            all = FilterMatches(entry.patterns[i], values[i].c_str()) != 0;
        }
        if (all) {
            return 1;
        }
    }
    return 0;
}

void CQueryExceptionDlg::DoModal() {
    Load();
    if (presenter) {
        presenter->Show(m_entries);
    }
}
