#include "zarnsmartedit.h"
#include "zarnstationfiles.h"

#include <strings.h>

#include <cstdio>
#include <fstream>

namespace zarn {
namespace {

const size_t kLineMax = 1023;
const size_t kKeysShown = 20;
const size_t kTipMax = 100;
const size_t kTipCut = 97;

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

// The token that starts at from (after separators); from moves past it.
std::string Token(const std::string &line, size_t &from) {
    while (from < line.size() && IsSeparator(line[from])) {
        ++from;
    }
    const size_t start = from;
    while (from < line.size() && !IsSeparator(line[from])) {
        ++from;
    }
    return line.substr(start, from - start);
}

std::string Trimmed(const std::string &text) {
    const char *blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::map<std::string, std::string> ReadSmartEditShortcuts(std::istream &file,
                                                          const std::string &id) {
    std::map<std::string, std::string> shortcuts;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();  // a CR LF line end: the CR is no part of a key
        }
        if (line.size() > kLineMax) {
            line.resize(kLineMax);
        }
        if (line.empty() || line[0] == '%') {
            continue;
        }
        size_t at = 0;
        const std::string field = Token(line, at);
        if (field.empty() || strcasecmp(field.c_str(), id.c_str()) != 0) {
            continue;
        }
        const std::string key = Token(line, at);
        if (key.empty() || key.find('\r') != std::string::npos) {
            continue;
        }
        // The text starts after the one separator that follows the key.
        shortcuts[key] = at < line.size() ? Trimmed(line.substr(at + 1)) : "";
    }
    return shortcuts;
}

CZARNSmartEdit::CZARNSmartEdit(Profile &profile, std::string shortcutFile)
    : m_profile(profile), m_shortcutFile(std::move(shortcutFile)) {}

void CZARNSmartEdit::SetSmartEditId(const std::string &id, const std::string &description) {
    m_id = id;
    m_description = description;
    m_savedDefault = m_profile.GetString("SmartEdit", id, "");
}

void CZARNSmartEdit::EnsureShortcuts() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    std::ifstream file(LocateStationFile(m_shortcutFile), std::ios::binary);
    if (file) {
        m_shortcuts = ReadSmartEditShortcuts(file, m_id);
    }
}

std::string CZARNSmartEdit::KeysTip() const {
    std::string tip = "The Smart Edit ID for this window is: " + m_id + " (" +
                      std::to_string(m_shortcuts.size()) + " keys defined). Keys:\n\n";
    size_t shown = 0;
    for (auto it = m_shortcuts.begin(); it != m_shortcuts.end() && shown < kKeysShown;
         ++it, ++shown) {
        tip += it->first + "\n";
    }
    return tip;
}

std::optional<std::string> CZARNSmartEdit::Expand(const std::string &text) const {
    const auto found = m_shortcuts.find(text);
    if (found == m_shortcuts.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string CZARNSmartEdit::SaveDefault(const std::string &text) {
    m_profile.WriteString("SmartEdit", m_id, text);
    m_profile.Flush();
    m_savedDefault = text;
    return "Default value saved as: " + text;
}

std::optional<std::string> CZARNSmartEdit::HintFor(const std::string &candidate) const {
    std::optional<std::string> replacement = Expand(candidate);
    if (!replacement) {
        return std::nullopt;
    }
    if (replacement->size() > kTipMax) {
        size_t cut = kTipCut;  // never inside a UTF-8 character
        while (cut > 0 && (static_cast<unsigned char>((*replacement)[cut]) & 0xC0u) == 0x80u) {
            --cut;
        }
        replacement = replacement->substr(0, cut) + "...";
    }
    return "Hit F5 to set to " + *replacement;
}

}  // namespace zarn
