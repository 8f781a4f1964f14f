#include "zarnbarcode.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <optional>

#include "zarn10mfc.h"
#include "zarnfields.h"

namespace zarn {
namespace {

bool StartsWith(const std::string &text, const std::string &start) {
    return !start.empty() && text.compare(0, start.size(), start) == 0;
}

bool IsIdCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
}

bool IsId(const std::string &text, std::size_t width) {
    if (text.empty() || text.size() > width) {
        return false;
    }
    for (char c : text) {
        if (!IsIdCharacter(c)) {
            return false;
        }
    }
    return true;
}

// Up to 9 digits: a zone or slot number, never 0.
std::optional<int32_t> Number(const std::string &text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    int32_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value == 0 ? std::nullopt : std::optional<int32_t>(value);
}

// "40", or "3/12" (level 3, slot 12: stored negative, the level in the upper 16 bits).
std::optional<int32_t> Slot(const std::string &text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return Number(text);
    }
    const std::optional<int32_t> level = Number(text.substr(0, slash));
    const std::optional<int32_t> slot = Number(text.substr(slash + 1));
    if (!level || !slot || *level > 0x7FFF || *slot > 0xFFFF) {
        return std::nullopt;
    }
    return -((*level << 16) | *slot);
}

std::string Stripped(std::string line, const char *prefix, const char *suffix) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    if (prefix && *prefix && StartsWith(line, prefix)) {
        line.erase(0, std::strlen(prefix));
    }
    const std::size_t suffixLength = suffix ? std::strlen(suffix) : 0;
    if (suffixLength && line.size() >= suffixLength &&
        line.compare(line.size() - suffixLength, suffixLength, suffix) == 0) {
        line.erase(line.size() - suffixLength);
    }
    return line;
}

bool ParseZoneSlot(const BarCodeGrammar &grammar, const std::string &text,
                   ZARN10BARCODEPARSED &parsed) {
    if (StartsWith(text, grammar.zonePrefix)) {
        const std::string rest = text.substr(grammar.zonePrefix.size());
        const std::size_t slotAt =
            grammar.slotPrefix.empty() ? std::string::npos : rest.find(grammar.slotPrefix);
        const std::optional<int32_t> zone = Number(rest.substr(0, slotAt));
        if (!zone) {
            return false;
        }
        parsed.zone = *zone;
        parsed.kind = kZarnBarCodeZone;
        if (slotAt != std::string::npos) {
            const std::optional<int32_t> slot =
                Slot(rest.substr(slotAt + grammar.slotPrefix.size()));
            if (!slot) {
                return false;
            }
            parsed.slot = *slot;
            parsed.kind = kZarnBarCodeZoneSlot;
        }
        return true;
    }
    if (StartsWith(text, grammar.slotPrefix)) {
        const std::optional<int32_t> slot = Slot(text.substr(grammar.slotPrefix.size()));
        if (slot) {
            parsed.slot = *slot;
            parsed.kind = kZarnBarCodeSlot;
            return true;
        }
    }
    return false;
}

bool ParseVolume(const BarCodeGrammar &grammar, const std::string &text,
                 ZARN10BARCODEPARSED &parsed) {
    const std::size_t first = text.find(grammar.keySeparator);
    if (first == std::string::npos) {
        if (!IsId(text, kZarnVolumeWidth)) {
            return false;
        }
        WriteField(parsed.volume, text);
        parsed.flags = kZarnScanVolume | kZarnScanSerialOnly;
        parsed.kind = kZarnBarCodeVolume;
        return true;
    }
    const std::size_t second = text.find(grammar.keySeparator, first + 1);
    if (second == std::string::npos) {
        return false;
    }
    const std::string customer = text.substr(0, first);
    const std::string media = text.substr(first + 1, second - first - 1);
    const std::string volume = text.substr(second + 1);
    if (!IsId(customer, kZarnCustomerIdWidth) || !IsId(media, kZarnMediaIdWidth) ||
        !IsId(volume, kZarnVolumeWidth)) {
        return false;
    }
    WriteField(parsed.customerId, customer);
    WriteField(parsed.mediaId, media);
    WriteField(parsed.volume, volume);
    parsed.flags = kZarnScanVolume;
    parsed.kind = kZarnBarCodeVolume;
    return true;
}

}  // namespace

namespace {

std::string Upper(std::string text) {
    for (char &c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// Why the grammar cannot read its own codes back, or empty: every marker must be told apart
// from the others and from volume serials, whatever the file says.
std::string GrammarProblem(const BarCodeGrammar &grammar) {
    const std::string *markers[] = {&grammar.controlPrefix, &grammar.zonePrefix,
                                    &grammar.slotPrefix};
    for (const std::string *marker : markers) {
        if (marker->empty()) {
            return "a prefix is empty";
        }
        if (marker->size() > kLongestMarker) {
            return "a prefix is longer than " + std::to_string(kLongestMarker) + " characters";
        }
    }
    // A control code is taken as soon as a line starts with its marker: a marker that could be
    // the start of a label ("C1", "C1.") would swallow every label that starts the same way.
    const std::string &control = grammar.controlPrefix;
    const auto labelCharacter = [&](char c) {
        return IsIdCharacter(c) || c == grammar.keySeparator;
    };
    if (std::all_of(control.begin(), control.end(), labelCharacter) &&
        std::count(control.begin(), control.end(), grammar.keySeparator) <= 2) {
        return "the control prefix could start a volume label";
    }
    // A marker that starts another would read the other's codes as its own ("ZN7" beside "ZN":
    // "ZN70" would be control code 0). Scanner text is raised to upper case before zones and
    // slots are looked for, so markers are compared that way.
    for (const std::string *marker : markers) {
        for (const std::string *other : markers) {
            if (marker != other && Upper(*other).compare(0, marker->size(), Upper(*marker)) == 0) {
                return "the prefix \"" + *marker + "\" starts the prefix \"" + *other + "\"";
            }
        }
    }
    for (const std::string *prefix : {&grammar.zonePrefix, &grammar.slotPrefix}) {
        // Zone and slot numbers are read up to the next marker: a digit or '/' in one would
        // split them.
        if (prefix->find_first_of("0123456789/") != std::string::npos) {
            return "the zone or slot prefix holds a digit or '/'";
        }
    }
    if (IsIdCharacter(grammar.keySeparator) ||
        !std::isgraph(static_cast<unsigned char>(grammar.keySeparator))) {
        return "the key separator is a letter, digit, '-', '_', a space or a control character";
    }
    using Parsed = const ZARN10BARCODEPARSED &;
    const std::string sep(1, grammar.keySeparator);
    const struct {
        std::string line;
        const char *kind;
        std::function<bool(Parsed)> readRight;
    } samples[] = {
        {grammar.controlPrefix + "S", "control",
         [](Parsed p) { return p.kind == kZarnBarCodeControl && p.control == 'S'; }},
        {grammar.zonePrefix + "12", "zone",
         [](Parsed p) { return p.kind == kZarnBarCodeZone && p.zone == 12; }},
        {grammar.zonePrefix + "12" + grammar.slotPrefix + "40", "zone and slot",
         [](Parsed p) { return p.kind == kZarnBarCodeZoneSlot && p.zone == 12 && p.slot == 40; }},
        {grammar.slotPrefix + "40", "slot",
         [](Parsed p) { return p.kind == kZarnBarCodeSlot && p.slot == 40; }},
        {"ACME" + sep + "LTO9" + sep + "A00001", "volume key",
         [](Parsed p) { return p.kind == kZarnBarCodeVolume && ReadField(p.mediaId) == "LTO9"; }},
        {"A00001", "volume serial",
         [](Parsed p) { return p.kind == kZarnBarCodeVolume && ReadField(p.volume) == "A00001"; }},
    };
    for (const auto &sample : samples) {
        ZARN10BARCODEPARSED parsed;
        ParseScannerLine(grammar, sample.line, nullptr, nullptr, parsed);
        if (!sample.readRight(parsed)) {
            return "\"" + sample.line + "\" is not read as a " + sample.kind + " code";
        }
    }
    return {};
}

}  // namespace

BarCodeGrammar GrammarFrom(const config_t *configuration, std::string *problem) {
    BarCodeGrammar grammar;
    if (configuration == nullptr) {
        return grammar;
    }
    const char *text = nullptr;
    if (config_lookup_string(configuration, "barcodes.control_prefix", &text) == CONFIG_TRUE) {
        grammar.controlPrefix = text;
    }
    if (config_lookup_string(configuration, "barcodes.zone_prefix", &text) == CONFIG_TRUE) {
        grammar.zonePrefix = text;
    }
    if (config_lookup_string(configuration, "barcodes.slot_prefix", &text) == CONFIG_TRUE) {
        grammar.slotPrefix = text;
    }
    if (config_lookup_string(configuration, "barcodes.key_separator", &text) == CONFIG_TRUE) {
        grammar.keySeparator = std::strlen(text) == 1 ? text[0] : '\0';
    }
    int upper = 1;
    if (config_lookup_bool(configuration, "barcodes.upper_case", &upper) == CONFIG_TRUE) {
        grammar.upperCase = upper != 0;
    }
    if (grammar.upperCase) {
        // Scanner text is raised before zones and slots are looked for: so must their markers be.
        grammar.zonePrefix = Upper(grammar.zonePrefix);
        grammar.slotPrefix = Upper(grammar.slotPrefix);
    }
    const std::string why = GrammarProblem(grammar);
    if (!why.empty()) {
        if (problem) {
            *problem = "The barcodes settings are not used: " + why + ".";
        }
        return BarCodeGrammar{};
    }
    return grammar;
}

std::size_t LongestBarCode(const BarCodeGrammar &grammar) {
    const std::size_t number = 9;                  // zone or slot
    const std::size_t levelSlot = 2 * number + 1;  // "level/slot"
    const std::size_t key = kZarnCustomerIdWidth + kZarnMediaIdWidth + kZarnVolumeWidth + 2;
    return std::max({grammar.controlPrefix.size() + 1,
                     grammar.zonePrefix.size() + number + grammar.slotPrefix.size() + levelSlot,
                     key});
}

uint8_t ParseScannerLine(const BarCodeGrammar &grammar, const std::string &line, const char *prefix,
                         const char *suffix, ZARN10BARCODEPARSED &parsed) {
    parsed = ZARN10BARCODEPARSED{};
    const std::size_t wrapping =
        (prefix ? std::strlen(prefix) : 0) + (suffix ? std::strlen(suffix) : 0) + 2;  // and CR LF
    if (line.size() > LongestBarCode(grammar) + wrapping) {
        return kZarnBadBarCode;
    }
    std::string text = Stripped(line, prefix, suffix);
    if (StartsWith(text, grammar.controlPrefix)) {
        // The control character is taken as scanned: 'S' and 's' are different commands.
        if (text.size() != grammar.controlPrefix.size() + 1) {
            return kZarnBadBarCode;
        }
        parsed.control = text.back();
        parsed.kind = kZarnBarCodeControl;
        return kZarnOK;
    }
    if (grammar.upperCase) {
        for (char &c : text) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    if (ParseZoneSlot(grammar, text, parsed) || ParseVolume(grammar, text, parsed)) {
        return kZarnOK;
    }
    parsed = ZARN10BARCODEPARSED{};
    return kZarnBadBarCode;
}

}  // namespace zarn

CZARN10RC CZARN10MFC::ParseBarCode(ZARN10BARCODEPARSED *parsed, const char *text,
                                   const char *prefix, const char *suffix,
                                   const config_t *configuration) {
    return zarn::ParseScannerLine(zarn::GrammarFrom(configuration), text ? text : "", prefix,
                                  suffix, *parsed);
}
