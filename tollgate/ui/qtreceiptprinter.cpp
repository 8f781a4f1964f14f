#include "qtreceiptprinter.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "receiptprintprompt.h"
#include "zarn30printer.h"

bool QtReceiptPrinter::Print(const std::vector<const CZARN10TreeVolume *> &volumes,
                             const std::string &headerBitmap, const std::string &footerBitmap) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, m_parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (afterDialog) {
        afterDialog(printer);
    }
    CZARN30PainterDC dc(printer);
    std::unique_ptr<CReceiptPrintPrompt> window;
    CZARN30Printer run(
        &m_server, headerBitmap, footerBitmap, dc,
        [&](CZARN30ReceiptPrompt &prompt) {
            if (showPrompt) {
                showPrompt(prompt);
                return;
            }
            if (!window) {
                window = std::make_unique<CReceiptPrintPrompt>(
                    prompt, CReceiptPrintPrompt::MessageBoxes(m_parent), m_parent);
            }
            window->DoModal();
        },
        [this](const char *caption, const char *text) {
            QMessageBox::information(nullptr, caption, text);
        });
    for (const CZARN10TreeVolume *volume : volumes) {
        run.PrintItem(*volume);
    }
    return run.Finish();
}
