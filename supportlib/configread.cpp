#include "configread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// What libconfig itself says of a file it cannot read.
const char kIoError[] = "file I/O error";

// The file's bytes, when it is a regular file no larger than the bound; otherwise why not.
bool ReadBounded(const char *path, std::string &bytes, std::string &why) {
    // Not blocking: a FIFO with no writer must not hold the program at open.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        why = kIoError;
        return false;
    }
    struct stat status {};
    bool read = false;
    if (fstat(descriptor, &status) != 0) {
        why = kIoError;
    } else if (!S_ISREG(status.st_mode)) {
        why = "not a regular file";
    } else if (status.st_size > ZARN_CONFIG_MAX_BYTES) {
        why = "the file is larger than " + std::to_string(ZARN_CONFIG_MAX_BYTES / 1024) + " KB";
    } else {
        bytes.resize(ZARN_CONFIG_MAX_BYTES + 1);
        size_t have = 0;
        while (have < bytes.size()) {
            const ssize_t got = ::read(descriptor, &bytes[have], bytes.size() - have);
            if (got <= 0) {
                why = got < 0 ? kIoError : "";
                break;
            }
            have += static_cast<size_t>(got);
        }
        bytes.resize(have);
        read = why.empty();
        if (read && have > ZARN_CONFIG_MAX_BYTES) {  // it grew while being read
            why = "the file is larger than " + std::to_string(ZARN_CONFIG_MAX_BYTES / 1024) + " KB";
            read = false;
        }
    }
    close(descriptor);
    return read;
}

}  // namespace

extern "C" int ZarnReadConfigFile(config_t *configuration, const char *path, char *error,
                                  size_t errorSize, int *line, char **text) {
    std::string bytes, why;
    *line = 0;
    if (text) {
        *text = nullptr;
    }
    if (!ReadBounded(path, bytes, why)) {
        std::snprintf(error, errorSize, "%s", why.c_str());
        return 0;
    }
    if (bytes.find('\0') != std::string::npos) {
        std::snprintf(error, errorSize, "the file holds a NUL byte: it is not text");
        return 0;
    }
    if (config_read_string(configuration, bytes.c_str()) != CONFIG_TRUE) {
        *line = config_error_line(configuration);
        const char *said = config_error_text(configuration);
        std::snprintf(error, errorSize, "%s", said ? said : "unknown error");
        return 0;
    }
    if (text) {
        *text = strdup(bytes.c_str());
    }
    return 1;
}
