// A receipt run: the items handed over one by one (To-Scan order, or the blank ship list
// queue), with a header per customer, media and direction, a grid of serials with running
// counts, totals, the header and footer pictures and a footer on every page. The run draws on
// a CZARN30DC; the window layer chooses the printer and shows the receipt prompt.
#ifndef ZARN_TOLLGATE_ZARN30PRINTER_H
#define ZARN_TOLLGATE_ZARN30PRINTER_H

#include <functional>
#include <string>

#include "zarn10mfc.h"
#include "zarn10treevolume.h"
#include "zarn30dc.h"
#include "zarn30dib.h"
#include "zarn30receiptprompt.h"

extern const char kReceiptBanner[];
// The caption of the picture loader's own message ("This isn't a bitmap file!").
extern const char kBitmapLoaderCaption[];

class CZARN30Printer {
public:
    // Shows the prompt for one customer (the prompt posts the billing lines itself).
    using ShowPrompt = std::function<void(CZARN30ReceiptPrompt &)>;
    // A message box: caption, text.
    using ShowMessage = std::function<void(const char *, const char *)>;

    // Starts the run on dc: the job, the fonts, the pictures (a message for each that does not
    // load), the journal list. Started() says whether the job started.
    CZARN30Printer(CZARN10MFC *server, const std::string &headerBitmap,
                   const std::string &footerBitmap, CZARN30DC &dc, ShowPrompt showPrompt,
                   ShowMessage showMessage);
    // Ends the run (Finish) if the caller has not.
    ~CZARN30Printer();
    CZARN30Printer(const CZARN30Printer &) = delete;
    CZARN30Printer &operator=(const CZARN30Printer &) = delete;

    bool Started() const { return m_started; }
    void PrintItem(const CZARN10TreeVolume &item);
    // Closes the last section and customer and ends the job (aborts it when it never
    // started). True when a job was printed.
    bool Finish();
    // The job's name: "Tollgate Receipt <local date and time>" without ':' or '/'.
    static std::string DocumentName();

private:
    void Advance(int lines);
    void BreakPage(bool endCurrent);
    void PrintLine(const std::string &text);
    void DrawCentred(int y, const std::string &text);
    void EndSection();
    void StartCustomer();
    void EndCustomer();
    void PrintMediaHeading(const CZARN10TreeVolume &item);
    void PrintCustomerBlock(const CZARN10TreeVolume &item);
    void PrintAddress(const ZARNCUST &customer);
    void PrintLines(const std::string &text);
    void PrintDirectionHeading(const CZARN10TreeVolume &item);
    void PrintGridCell(const CZARN10TreeVolume &item);
    void DetectChanges(const CZARN10TreeVolume &item);

    CZARN10MFC *m_server;
    CZARN30DC &m_dc;
    ShowPrompt m_showPrompt;
    ZARN10JOURNALLIST m_journal{};
    CZARN30ReceiptPrompt m_prompt;
    const CZARN10TreeVolume *m_previous = nullptr;
    bool m_newCustomer = true, m_newMedia = true, m_newDirection = true;
    int m_x = 0, m_y = 0;
    int m_width = 0, m_height = 0;
    bool m_started = false;
    bool m_finished = false;
    int m_lineHeight = 0, m_charWidth = 0;
    int m_sectionOk = 0, m_sectionNotOk = 0;
    int m_customerOk = 0, m_customerNotOk = 0;
    int m_page = 0;
    int m_itemsPrinted = 0;
    int m_c1 = 0, m_c2 = 0, m_c3 = 0, m_c4 = 0;
    int m_margin = 0, m_columnWidth = 0;
    static constexpr int kColumns = 10;
    CDib m_header, m_footer;
};

#endif
