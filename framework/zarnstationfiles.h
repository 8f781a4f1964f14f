// Where a station's own text files (configuration, query exceptions, SmartEdit shortcuts) are
// found: the user's configuration folder, then the system's (/etc/xdg/Quillfen), then the
// program's folder, which start-up makes the working folder.
#ifndef ZARN_FRAMEWORK_ZARNSTATIONFILES_H
#define ZARN_FRAMEWORK_ZARNSTATIONFILES_H

#include <string>
#include <vector>

namespace zarn {

// The folders searched for a relative name, in order.
std::vector<std::string> StationFileFolders();

// The first of those folders that holds the file, else the user's folder (where the user would
// write it). A name with a folder of its own is taken as given.
std::string LocateStationFile(const std::string &name);

// The station's state folder, $XDG_STATE_HOME/Quillfen (~/.local/state/Quillfen): made when
// missing and kept private to the user (crash reports, the session journal). Empty when there
// is no home to keep it in, or it cannot be made.
std::string StationStateFolder();

}  // namespace zarn

#endif
