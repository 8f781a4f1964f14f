// Comma-separated values as zarnserver reads and writes them: a header line of column names,
// fields quoted when they hold a comma, a quote or a line break (quotes doubled).
#ifndef ZARN_SERVERLIB_ZARNCSV_H
#define ZARN_SERVERLIB_ZARNCSV_H

#include <istream>
#include <string>
#include <vector>

namespace zarn {

std::string CsvLine(const std::vector<std::string> &fields);

class CsvReader {
public:
    explicit CsvReader(std::istream &input) : m_input(input) {}
    // The next record; false at the end or on an error (then Error() says what and where).
    bool Next(std::vector<std::string> &fields);
    const std::string &Error() const { return m_error; }
    int Line() const { return m_line; }

private:
    std::istream &m_input;
    std::string m_error;
    int m_line = 0;
    bool m_started = false;  // the file's start (and a byte-order mark there) is behind us
};

}  // namespace zarn

#endif
