// One field of comma-separated values, as every CSV file of the system writes it: quoted when
// it holds a comma, a quote or a line break (quotes doubled), or starts with the byte a
// byte-order mark starts with (a reader would take it for the file's mark); as it stands else.
#ifndef ZARN_SUPPORTLIB_CSVFIELD_H
#define ZARN_SUPPORTLIB_CSVFIELD_H

#include <string>
#include <string_view>

namespace zarn {

std::string CsvField(std::string_view text);

}  // namespace zarn

#endif
