// The program's receipt printer: the platform's print dialog chooses the printer, the run
// draws on it, and the receipt prompt is shown once per customer.
#ifndef ZARN_TOLLGATE_UI_QTRECEIPTPRINTER_H
#define ZARN_TOLLGATE_UI_QTRECEIPTPRINTER_H

#include <QWidget>

#include "receiptprinter.h"
#include "zarn10mfc.h"

class QtReceiptPrinter : public ReceiptPrinter {
public:
    QtReceiptPrinter(CZARN10MFC &server, QWidget *parent) : m_server(server), m_parent(parent) {}
    bool Print(const std::vector<const CZARN10TreeVolume *> &volumes,
               const std::string &headerBitmap, const std::string &footerBitmap) override;

private:
    CZARN10MFC &m_server;
    QWidget *m_parent;
};

#endif
