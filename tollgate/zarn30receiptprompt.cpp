#include "zarn30receiptprompt.h"

#include <ctime>

#include "zarnfields.h"

const char kNoChargeWarningText[] =
    "This transaction will not be charged. To continue without charge check the 'Allow "
    "No-Charge' check box";
const char kNoChargeWarningCaption[] = "No Charge Warning";

namespace {

// Characters, not bytes, of UTF-8 text: the limits are what the operator can type.
std::size_t Characters(const std::string &text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

}  // namespace

std::vector<CZARN30ReceiptPrompt::Choice> CZARN30ReceiptPrompt::Choices() const {
    std::vector<Choice> choices;
    if (!m_journal) {
        return choices;
    }
    for (int position = 0; position < 100; ++position) {
        const ZARN10JOURNALENTRY &entry = m_journal->entries[position];
        if (entry.name[0] != '\0') {
            choices.push_back(
                {zarn::ReadField(entry.name), position, entry.code, entry.defaultQuantity});
        }
    }
    return choices;
}

void CZARN30ReceiptPrompt::BeginShowing() {
    for (Line &line : lines) {
        line.text.clear();
        line.posted = false;
    }
    allowNoCharge = false;
}

void CZARN30ReceiptPrompt::Choose(int line, int selection) {
    const std::vector<Choice> choices = Choices();
    lines[line].selection = selection;
    if (selection >= 0 && static_cast<std::size_t>(selection) < choices.size()) {
        lines[line].quantity = choices[static_cast<std::size_t>(selection)].defaultQuantity;
    }
}

CZARN30ReceiptPrompt::Outcome CZARN30ReceiptPrompt::Confirm(std::string &message) {
    for (const Line &line : lines) {
        if (line.quantity > kMaxQuantity || Characters(line.text) > kMaxLineText) {
            message = "Enter a quantity from 0 to 9999999 and at most 40 characters of text.";
            return Outcome::Invalid;
        }
    }
    if (Characters(shipNotes) > kMaxShipNotes) {
        message = "Enter at most 300 characters of ship notes.";
        return Outcome::Invalid;
    }
    shipTime = static_cast<int64_t>(std::time(nullptr)) + int64_t{daysUntilShip} * 86400;
    const std::vector<Choice> choices = Choices();
    bool posted = false;
    for (Line &line : lines) {
        const bool chosen =
            line.selection >= 0 && static_cast<std::size_t>(line.selection) < choices.size();
        if (!chosen) {
            continue;
        }
        const Choice &choice = choices[static_cast<std::size_t>(line.selection)];
        // Position 0 is never billed; the store bills an entry by the code it holds for it.
        if (choice.position == 0 || choice.code == 0 || line.quantity == 0) {
            continue;
        }
        if (!line.posted) {
            const CZARN10RC result = m_server->Put(customerLabel.c_str(), "", "", choice.code,
                                                   line.quantity, line.text.c_str());
            if (!result.IsOK(0)) {
                message = std::string("The billing line \"") + choice.name +
                          "\" was not posted: " + result.Get();
                return Outcome::PostFailed;
            }
            line.posted = true;
        }
        posted = true;
    }
    if (posted || allowNoCharge) {
        return Outcome::Close;
    }
    message = kNoChargeWarningText;
    return Outcome::NoChargeWarning;
}
