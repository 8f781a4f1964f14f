// The program's receipt printer: the platform's print dialog chooses the printer, the run
// draws on it, and the receipt prompt is shown once per customer.
#ifndef ZARN_TOLLGATE_UI_QTRECEIPTPRINTER_H
#define ZARN_TOLLGATE_UI_QTRECEIPTPRINTER_H

#include <QPrinter>
#include <QWidget>

#include <functional>

#include "receiptprinter.h"
#include "zarn10mfc.h"
#include "zarn30receiptprompt.h"

class QtReceiptPrinter : public ReceiptPrinter {
public:
    QtReceiptPrinter(CZARN10MFC &server, QWidget *parent) : m_server(server), m_parent(parent) {}
    // Called on the printer the operator accepted, before the run starts (tests: PDF output
    // to a file, where no printer is installed).
    std::function<void(QPrinter &)> afterDialog;
    // Shows the receipt prompt (default: CReceiptPrintPrompt); tests answer it themselves.
    std::function<void(CZARN30ReceiptPrompt &)> showPrompt;
    bool Print(const std::vector<const CZARN10TreeVolume *> &volumes,
               const std::string &headerBitmap, const std::string &footerBitmap) override;

private:
    CZARN10MFC &m_server;
    QWidget *m_parent;
};

#endif
