// What the receipt prompt decides, without a screen: the billing choices of the journal list,
// the values carried from customer to customer, the checks of OK, and the billing lines it
// posts to the server. The dialog (ui/receiptprintprompt) shows these values and forwards the
// operator's actions here.
#ifndef ZARN_TOLLGATE_ZARN30RECEIPTPROMPT_H
#define ZARN_TOLLGATE_ZARN30RECEIPTPROMPT_H

#include <cstdint>
#include <string>
#include <vector>

#include "zarn10mfc.h"

extern const char kNoChargeWarningText[];
extern const char kNoChargeWarningCaption[];

class CZARN30ReceiptPrompt {
public:
    static constexpr unsigned kMaxQuantity = 9999999;
    static constexpr std::size_t kMaxLineText = 40;
    static constexpr std::size_t kMaxShipNotes = 300;

    // One offered journal entry: its name, its position in the list and the code the store
    // knows it by.
    struct Choice {
        std::string name;
        int position = 0;
        unsigned code = 0;
        unsigned defaultQuantity = 0;
    };
    struct Line {
        unsigned quantity = 0;
        std::string text;
        int selection = 0;    // position in Choices(), -1 for none
        bool posted = false;  // posted during this showing: never posted twice
    };
    enum class Outcome { Close, Invalid, PostFailed, NoChargeWarning };

    CZARN30ReceiptPrompt(CZARN10MFC *server, const ZARN10JOURNALLIST *journal)
        : m_server(server), m_journal(journal) {}

    // The journal entries offered in both combos: those with a name, in list order.
    std::vector<Choice> Choices() const;
    // Before each showing: the line texts emptied, "Allow No-Charge" cleared, nothing posted.
    void BeginShowing();
    // A journal entry chosen for a line (0 or 1): the line's quantity becomes its default.
    void Choose(int line, int selection);
    // OK, Escape or closing the window. Close: the dialog may close. Otherwise message says
    // why it stays open (a check, a post the server refused, or the no-charge warning).
    Outcome Confirm(std::string &message);

    int64_t shipTime = 0;
    int32_t daysUntilShip = 0;
    std::string boxNumbers;
    std::string shipNotes;
    std::string customerLabel;
    bool allowNoCharge = false;
    Line lines[2];

private:
    CZARN10MFC *m_server;
    const ZARN10JOURNALLIST *m_journal;
};

#endif
