#include "zarnstationlog.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Q_LOGGING_CATEGORY(lcStart, "kestrava.start")
Q_LOGGING_CATEGORY(lcConfig, "kestrava.config")
Q_LOGGING_CATEGORY(lcUpdateCheck, "kestrava.updatecheck")
Q_LOGGING_CATEGORY(lcTree, "kestrava.tree")
Q_LOGGING_CATEGORY(lcServerUpdate, "kestrava.update")
Q_LOGGING_CATEGORY(lcSpeech, "kestrava.speech")
Q_LOGGING_CATEGORY(lcShelving, "kestrava.shelving")

namespace zarn {
namespace {

struct StationLog {
    std::string identifier;  // openlog keeps the pointer: it lives as long as the program
    int file = -1;
    QtMessageHandler previous = nullptr;
};

StationLog &Log() {
    static StationLog log;
    return log;
}

bool IsStationCategory(const char *category) {
    return category && std::strncmp(category, "kestrava.", 9) == 0;
}

const char *TypeName(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return "debug";
        case QtInfoMsg:
            return "info";
        case QtWarningMsg:
            return "warning";
        case QtCriticalMsg:
            return "error";
        case QtFatalMsg:
            return "fatal";
    }
    return "info";
}

void Handle(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    StationLog &log = Log();
    if (!IsStationCategory(context.category)) {
        if (log.previous) {
            log.previous(type, context, message);
        }
        return;
    }
    const QByteArray text = message.toUtf8();
    syslog(StationLogPriority(type), "%s: %s", context.category, text.constData());
    if (log.file >= 0) {
        const std::string line = StationLogLine(log.identifier, static_cast<long>(getpid()), type,
                                                context.category, message) +
                                 "\n";
        // One write per line: lines of two threads never interleave in an O_APPEND file.
        [[maybe_unused]] const ssize_t written = write(log.file, line.data(), line.size());
    }
}

}  // namespace

int StationLogPriority(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return LOG_DEBUG;
        case QtInfoMsg:
            return LOG_INFO;
        case QtWarningMsg:
            return LOG_WARNING;
        case QtCriticalMsg:
            return LOG_ERR;
        case QtFatalMsg:
            return LOG_CRIT;
    }
    return LOG_INFO;
}

std::string StationLogLine(const std::string &identifier, long pid, QtMsgType type,
                           const char *category, const QString &message) {
    // A message never spans lines in the file: a reader takes one line as one event.
    QString flat = message;
    flat.replace('\r', ' ').replace('\n', ' ');
    return identifier + "[" + std::to_string(pid) + "] " + TypeName(type) + " " +
           (category ? category : "") + ": " + flat.toStdString();
}

void InstallStationLog(const std::string &identifier) {
    StationLog &log = Log();
    if (log.file >= 0) {
        close(log.file);
        log.file = -1;
    }
    log.identifier = identifier;
    openlog(log.identifier.c_str(), LOG_PID, LOG_USER);
    if (const char *path = std::getenv("ZARNLOGFILE"); path && *path) {
        log.file = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (log.file < 0) {
            std::fprintf(stderr, "%s: cannot write the log file %s: %s\n", identifier.c_str(), path,
                         std::strerror(errno));
        }
    }
    QtMessageHandler previous = qInstallMessageHandler(Handle);
    if (previous != Handle) {
        log.previous = previous;
    }
}

}  // namespace zarn
