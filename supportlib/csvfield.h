// One field of comma-separated values, as every CSV file of the system writes it: quoted when
// it holds a comma, a quote or a line break (quotes doubled), or starts with the byte a
// byte-order mark starts with (a reader would take it for the file's mark); as it stands else.
#ifndef ZARN_SUPPORTLIB_CSVFIELD_H
#define ZARN_SUPPORTLIB_CSVFIELD_H

#include <string>
#include <string_view>

namespace zarn {

std::string CsvField(std::string_view text);
// The same field appended to out (no string of its own: a list of 100,000 rows writes 800,000).
void AppendCsvField(std::string &out, std::string_view text);

}  // namespace zarn

#endif
