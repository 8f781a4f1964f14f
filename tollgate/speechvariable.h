// Speech variables: the placeholders ($VOL, $PZONE, ...) of the spoken templates, each cut
// and grouped so that the voice reads it the way the operator needs to hear it.
#ifndef ZARN_TOLLGATE_SPEECHVARIABLE_H
#define ZARN_TOLLGATE_SPEECHVARIABLE_H

#include <array>
#include <cstdint>
#include <string>

#include "zarnprofile.h"

class CSpeechVariable {
public:
    CSpeechVariable(std::string placeholder, std::string label);

    std::string value;
    std::string name;
    std::string description;
    uint8_t truncate = 10;  // characters kept
    uint8_t direction = 0;  // 0 keep the leftmost characters, else the rightmost
    uint8_t group = 10;     // characters per spoken group; 0 = no grouping
    std::string section = "Variables\\";

    // Reads truncate, direction and group from the profile (8 bits each).
    void ReadFormat(const zarn::Profile &profile);
    void SetValue(const std::string &text);
    // A fixed-width field: the value stops at the first NUL or at the width.
    void SetValue(const char *field, std::size_t width);
    // The template with every occurrence of this variable's name replaced.
    std::string Substitute(const std::string &text) const;
    // The cut and grouped value, each group followed by one space.
    std::string Spoken() const;
};

enum SpeechVariableIndex {
    kSpeechVol,
    kSpeechPickZone,
    kSpeechPickSlot,
    kSpeechQueryZone,
    kSpeechQuerySlot
};

using SpeechVariables = std::array<CSpeechVariable, 5>;
SpeechVariables MakeSpeechVariables();

// The template with $VOL, $PZONE, $PSLOT, $QZONE and $QSLOT substituted in that order.
std::string Expand(const SpeechVariables &variables, const std::string &text);

#endif
