#include "thousands.h"

#include <cstring>

extern "C" char *FormatThousands(uint64_t value, char *buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return buffer;
    }
    // Built from the right end of a scratch buffer, three digits to a group.
    char scratch[ZARN_THOUSANDS_SIZE];
    char *start = scratch + sizeof scratch - 1;
    *start = '\0';
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) {
            *--start = ',';
        }
        *--start = static_cast<char>('0' + value % 10);
        value /= 10;
        ++digits;
    } while (value != 0);

    const size_t length = static_cast<size_t>(scratch + sizeof scratch - 1 - start);
    if (length < size) {
        std::memcpy(buffer, start, length + 1);
    } else {
        std::memset(buffer, '#', size - 1);
        buffer[size - 1] = '\0';
    }
    return buffer;
}
