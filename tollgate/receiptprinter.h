// Where receipts go: the printer of the receipt issue implements it; tests record.
#ifndef ZARN_TOLLGATE_RECEIPTPRINTER_H
#define ZARN_TOLLGATE_RECEIPTPRINTER_H

#include <string>
#include <vector>

class CZARN10TreeVolume;

class ReceiptPrinter {
public:
    virtual ~ReceiptPrinter() = default;
    // One run of receipts (one per customer) for these volumes, with the header and footer
    // bitmap files. False when nothing was printed (cancelled, no printer, a failure).
    virtual bool Print(const std::vector<const CZARN10TreeVolume *> &volumes,
                       const std::string &headerBitmap, const std::string &footerBitmap) = 0;
};

#endif
