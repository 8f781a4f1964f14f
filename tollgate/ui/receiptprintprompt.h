// "Print Variables" and "Billing Details" for one customer of a receipt run: the window of
// CZARN30ReceiptPrompt. It shows the prompt's values, hands back what the operator typed and
// chose, and closes only when the prompt says so: OK, Escape and closing the window all ask
// it the same question, and there is no Cancel.
#ifndef ZARN_TOLLGATE_UI_RECEIPTPRINTPROMPT_H
#define ZARN_TOLLGATE_UI_RECEIPTPRINTPROMPT_H

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

#include "zarn30receiptprompt.h"

namespace Ui {
class CReceiptPrintPrompt;
}

class CReceiptPrintPrompt : public QDialog {
public:
    // message shows why the prompt stays open (the no-charge warning, a refused post, a
    // value out of range); the program passes its message box, tests a recorder.
    using ShowMessage = std::function<void(CZARN30ReceiptPrompt::Outcome, const std::string &)>;

    // The program's messages: the no-charge warning with its caption and warning icon, a
    // refused post or a value out of range as an error.
    static ShowMessage MessageBoxes(QWidget *parent);

    CReceiptPrintPrompt(CZARN30ReceiptPrompt &prompt, ShowMessage showMessage,
                        QWidget *parent = nullptr);
    ~CReceiptPrintPrompt() override;
    // A new showing: the prompt's values on screen (texts emptied, "Allow No-Charge" cleared).
    int DoModal();
    void done(int result) override;

private:
    void ShowValues();
    void TakeValues();
    void Chosen(int line, int selection);
    std::unique_ptr<Ui::CReceiptPrintPrompt> m_ui;
    CZARN30ReceiptPrompt &m_prompt;
    ShowMessage m_showMessage;
};

#endif
