// The station's log, for its administrator: what the station did and what went wrong. Messages
// of the "kestrava.*" logging categories go to the system log under the program's name (the
// journal files them so: journalctl -t ZARNTollgate) and, when ZARNLOGFILE names one, to a
// file. Other categories keep Qt's own handling.
#ifndef ZARN_PLATFORM_ZARNSTATIONLOG_H
#define ZARN_PLATFORM_ZARNSTATIONLOG_H

#include <QLoggingCategory>
#include <QString>

#include <string>

// The events of a station's day, one category each.
Q_DECLARE_LOGGING_CATEGORY(lcStart)         // kestrava.start: program start and version
Q_DECLARE_LOGGING_CATEGORY(lcConfig)        // kestrava.config: configuration errors
Q_DECLARE_LOGGING_CATEGORY(lcUpdateCheck)   // kestrava.updatecheck: the check for a new version
Q_DECLARE_LOGGING_CATEGORY(lcTree)          // kestrava.tree: tree builds, with counts and time
Q_DECLARE_LOGGING_CATEGORY(lcServerUpdate)  // kestrava.update: writes to the server, refusals
Q_DECLARE_LOGGING_CATEGORY(lcSpeech)        // kestrava.speech: speech failures
Q_DECLARE_LOGGING_CATEGORY(lcShelving)      // kestrava.shelving: the Shelver's writes

namespace zarn {

// Installs the message handler; identifier names the program in the system log.
void InstallStationLog(const std::string &identifier);

// A message as the log file holds it: "ZARNTollgate[1234] info kestrava.logon: text".
std::string StationLogLine(const std::string &identifier, long pid, QtMsgType type,
                           const char *category, const QString &message);

// The syslog priority of a Qt message type.
int StationLogPriority(QtMsgType type);

}  // namespace zarn

#endif
