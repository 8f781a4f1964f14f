#include "speechvariable.h"

#include <cstring>

CSpeechVariable::CSpeechVariable(std::string placeholder, std::string label)
    : name(std::move(placeholder)), description(std::move(label)) {}

void CSpeechVariable::ReadFormat(const zarn::Profile &profile) {
    truncate = static_cast<uint8_t>(profile.GetInt(section, "Truncate", 10));
    direction = static_cast<uint8_t>(profile.GetInt(section, "Direction", 0));
    group = static_cast<uint8_t>(profile.GetInt(section, "Group", 10));
}

void CSpeechVariable::SetValue(const std::string &text) {
    value = text.substr(0, text.find('\0'));
}

void CSpeechVariable::SetValue(const char *field, std::size_t width) {
    const char *end = static_cast<const char *>(std::memchr(field, '\0', width));
    value.assign(field, end ? static_cast<std::size_t>(end - field) : width);
}

std::string CSpeechVariable::Spoken() const {
    std::string cut = value;
    if (cut.size() > truncate) {
        cut = direction == 0 ? cut.substr(0, truncate) : cut.substr(cut.size() - truncate);
    }
    // A group of 0 would never consume the value: it means no grouping, the value in one piece.
    const std::size_t size = group == 0 ? std::max<std::size_t>(cut.size(), 1) : group;
    std::string spoken;
    for (std::size_t at = 0; at < cut.size(); at += size) {
        spoken += cut.substr(at, size) + " ";
    }
    return spoken;
}

std::string CSpeechVariable::Substitute(const std::string &text) const {
    if (name.empty()) {
        return text;
    }
    const std::string spoken = Spoken();
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, from)) {
        result.append(text, from, at - from).append(spoken);
        from = at + name.size();
    }
    return result.append(text, from);
}

SpeechVariables MakeSpeechVariables() {
    return {CSpeechVariable("$VOL", "Volume Serial"), CSpeechVariable("$PZONE", "Picking Zone"),
            CSpeechVariable("$PSLOT", "Picking Slot"), CSpeechVariable("$QZONE", "Query Zone"),
            CSpeechVariable("$QSLOT", "Query Slot")};
}

std::string Expand(const SpeechVariables &variables, const std::string &text) {
    std::string expanded = text;
    for (const CSpeechVariable &variable : variables) {
        expanded = variable.Substitute(expanded);
    }
    return expanded;
}
