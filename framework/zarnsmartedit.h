// What a SmartEdit field decides, without the field: its remembered default (profile section
// "SmartEdit") and its shortcuts from "ZARNSmartEdit.txt", read on the first key press.
#ifndef ZARN_FRAMEWORK_ZARNSMARTEDIT_H
#define ZARN_FRAMEWORK_ZARNSMARTEDIT_H

#include <istream>
#include <map>
#include <optional>
#include <string>

#include "zarnprofile.h"

namespace zarn {

// The shortcuts of one field id (compared without regard to case) in a shortcut file: a line
// is "ID KEY replacement text"; lines starting with "%" are comments; a line counts up to 1023
// characters; a later key replaces an earlier one.
std::map<std::string, std::string> ReadSmartEditShortcuts(std::istream &file,
                                                          const std::string &id);

class CZARNSmartEdit {
public:
    // A bare file name is looked for in the user's, the system's, then the program's folder.
    explicit CZARNSmartEdit(Profile &profile, std::string shortcutFile = "ZARNSmartEdit.txt");

    // Reads the saved default of that id.
    void SetSmartEditId(const std::string &id, const std::string &description);
    const std::string &Id() const { return m_id; }
    const std::string &Description() const { return m_description; }
    const std::string &SavedDefault() const { return m_savedDefault; }

    // Reads the shortcut file the first time only, whether or not it is there.
    void EnsureShortcuts();
    const std::map<std::string, std::string> &Shortcuts() const { return m_shortcuts; }

    // F2: the id and the first 20 keys.
    std::string KeysTip() const;
    // F5: the replacement of the field's text when it is a key.
    std::optional<std::string> Expand(const std::string &text) const;
    // F11: keeps the text as the default; the tip to show.
    std::string SaveDefault(const std::string &text);
    // Any other key, with the text it is about to make: the tip when that is a key.
    std::optional<std::string> HintFor(const std::string &candidate) const;

private:
    Profile &m_profile;
    std::string m_shortcutFile;
    std::string m_id = "Unregistered";
    std::string m_description;
    std::string m_savedDefault;
    std::map<std::string, std::string> m_shortcuts;
    bool m_loaded = false;
};

}  // namespace zarn

#endif
