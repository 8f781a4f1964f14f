#include "zarn30printer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "zarn10treemedia.h"
#include "zarn10treerepository.h"
#include "zarnfields.h"

const char kReceiptBanner[] = "Kestrava - tape media management";
const char kBitmapLoaderCaption[] = "Kestrava Tollgate";

namespace {

std::string LocalTime(std::time_t when, const char *format) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[128] = "";
    std::strftime(text, sizeof text, format, &local);
    return text;
}

std::string CustomerId(const CZARN10TreeVolume &item) {
    return item.GetCustomerId();
}

std::string RepositoryId(const CZARN10TreeRepository *node) {
    return node ? node->id : std::string();
}

}  // namespace

std::string CZARN30Printer::DocumentName() {
    std::string name = "Tollgate Receipt " + LocalTime(std::time(nullptr), "%c");
    std::replace(name.begin(), name.end(), ':', '-');
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

CZARN30Printer::CZARN30Printer(CZARN10MFC *server, const std::string &headerBitmap,
                               const std::string &footerBitmap, CZARN30DC &dc,
                               ShowPrompt showPrompt, ShowMessage showMessage)
    : m_server(server),
      m_dc(dc),
      m_showPrompt(std::move(showPrompt)),
      m_prompt(server, &m_journal) {
    const int pointUnit =
        static_cast<int>(std::lround(static_cast<double>(m_dc.PixelsPerInchY()) / 72.0));
    m_dc.CreateFonts(pointUnit);
    if (!m_dc.StartDocument(DocumentName())) {
        return;
    }
    m_width = m_dc.Width();
    m_height = m_dc.Height();
    m_dc.SelectFont(CZARN30DC::kHeading);
    m_lineHeight = std::max(1, m_dc.LineHeight());
    m_charWidth = std::max(1, m_dc.AverageCharWidth());
    const auto load = [&](CDib &dib, const std::string &path, const char *caption,
                          const char *text) {
        std::string problem;
        if (dib.Load(path, &problem)) {
            dib.ScaleToWidth(m_width);
            return;
        }
        if (!showMessage) {
            return;
        }
        if (problem == CDib::kNotABitmap) {
            showMessage(kBitmapLoaderCaption, "This isn't a bitmap file!");  // the loader's own
        }
        showMessage(caption, text);
    };
    load(m_header, headerBitmap, "Header Load Failed",
         "The Output Header failed to load, please see preferences");
    load(m_footer, footerBitmap, "Footer Load Failed",
         "The Output Footer failed to load, please see preferences");
    m_c1 = 5;
    m_c2 = 28 * m_charWidth + 5;
    m_c3 = (m_width - 10) / 2;
    // The values beside the right-hand labels start just past the widest label as drawn: a
    // fixed 28 average widths leaves "Preparation Time:" too little room on a narrow page.
    int widestLabel = 0;
    for (const char *label : {"Prepared by:", "Server:", "Ship Date:", "Preparation Time:"}) {
        widestLabel = std::max(widestLabel, m_dc.TextWidth(label));
    }
    m_c4 = m_c3 + widestLabel + 2 * m_charWidth;
    m_margin = 8 * m_charWidth;
    m_columnWidth = (m_width - m_margin) / kColumns;
    if (m_server) {
        m_server->Get(&m_journal);
    }
    m_started = true;
}

CZARN30Printer::~CZARN30Printer() {
    Finish();
}

bool CZARN30Printer::Finish() {
    if (m_finished) {
        return m_started;
    }
    m_finished = true;
    if (!m_started) {
        m_dc.AbortDocument();
        return false;
    }
    EndSection();
    if (m_page != 0) {
        EndCustomer();
    }
    m_dc.EndDocument();
    return true;
}

void CZARN30Printer::Advance(int lines) {
    m_y += lines * m_lineHeight;
    if (m_y > m_height - 5 * m_lineHeight) {
        BreakPage(true);
    }
}

void CZARN30Printer::BreakPage(bool endCurrent) {
    ++m_page;
    if (endCurrent) {
        m_dc.NewPage();
    }
    // The footer of the page now starting, drawn at once: its number is known.
    m_dc.SelectFont(CZARN30DC::kSmall);
    DrawCentred(m_height - 3 * m_lineHeight, kReceiptBanner);
    m_dc.SelectFont(CZARN30DC::kHeading);
    DrawCentred(m_height - 2 * m_lineHeight, "Page " + std::to_string(m_page));
    m_x = 0;
    m_y = 0;
}

void CZARN30Printer::DrawCentred(int y, const std::string &text) {
    m_dc.DrawText(m_width / 2 - m_dc.TextWidth(text) / 2, y, text);
}

void CZARN30Printer::PrintLine(const std::string &text) {
    m_dc.DrawText(m_x, m_y, text);
    Advance(1);
}

void CZARN30Printer::DetectChanges(const CZARN10TreeVolume &item) {
    if (!m_previous) {
        return;
    }
    m_newCustomer = m_newMedia = m_newDirection = false;
    if (CustomerId(item) != CustomerId(*m_previous)) {
        m_newCustomer = m_newMedia = m_newDirection = true;
    } else if (item.GetMediaId() != m_previous->GetMediaId()) {
        m_newMedia = m_newDirection = true;
    } else if (item.blankEntry) {
        return;
    } else if (RepositoryId(item.destination) != RepositoryId(m_previous->destination)) {
        m_newDirection = true;
    } else {
        m_newDirection = RepositoryId(item.origin) != RepositoryId(m_previous->origin);
    }
}

void CZARN30Printer::PrintItem(const CZARN10TreeVolume &item) {
    if (!m_started || m_finished) {
        return;
    }
    DetectChanges(item);
    if (m_newDirection && m_itemsPrinted > 0) {
        EndSection();
    }
    if (m_newCustomer) {
        StartCustomer();
    }
    if (m_newMedia) {
        PrintMediaHeading(item);
    }
    if (m_newDirection) {
        PrintDirectionHeading(item);
    }
    ++m_itemsPrinted;
    if (!item.blankEntry) {
        PrintGridCell(item);
    }
    m_previous = &item;
}

void CZARN30Printer::EndSection() {
    m_customerOk += m_sectionOk;
    m_customerNotOk += m_sectionNotOk;
    Advance(2);
    m_x = 0;
    m_dc.SelectFont(CZARN30DC::kSmall);
    const int total = m_sectionOk + m_sectionNotOk;
    if (total > 0) {
        PrintLine("Total Volumes processed=" + std::to_string(total) + ", OK=" +
                  std::to_string(m_sectionOk) + ", NotOK=" + std::to_string(m_sectionNotOk));
    }
    m_sectionOk = m_sectionNotOk = 0;
}

void CZARN30Printer::StartCustomer() {
    if (m_page != 0) {
        EndCustomer();
    }
    m_customerOk = m_customerNotOk = 0;
    m_page = 0;
    BreakPage(m_itemsPrinted > 0);
    m_y = 0;
    if (m_header.IsLoaded()) {
        const QSize size = m_header.DrawnSize();
        m_dc.DrawImage(m_x, m_y, size.width(), size.height(), m_header.Image());
        m_y = size.height();
    }
}

void CZARN30Printer::EndCustomer() {
    m_dc.SelectFont(CZARN30DC::kHeading);
    const int total = m_customerOk + m_customerNotOk;
    if (total > 0) {
        PrintLine("Total Volumes processed for Customer=" + std::to_string(total) + ", OK=" +
                  std::to_string(m_customerOk) + ", NotOK=" + std::to_string(m_customerNotOk));
    }
    if (m_footer.IsLoaded()) {
        const QSize size = m_footer.DrawnSize();
        if (m_y + size.height() > m_height - 100) {
            BreakPage(true);
        }
        m_dc.DrawImage(m_x, m_y, size.width(), size.height(), m_footer.Image());
    }
}

void CZARN30Printer::PrintMediaHeading(const CZARN10TreeVolume &item) {
    Advance(1);
    if (m_newCustomer) {
        PrintCustomerBlock(item);
    }
    if (item.blankEntry) {
        return;
    }
    m_dc.SelectFont(CZARN30DC::kHeading);
    PrintLine("Media: " + item.GetMediaId() + " - " + item.GetMediaName());
}

void CZARN30Printer::PrintCustomerBlock(const CZARN10TreeVolume &item) {
    if (m_y > m_height - 15 * m_lineHeight) {
        BreakPage(true);
    }
    const int x0 = m_x;
    const int y0 = m_y;
    const int h = m_lineHeight;
    const std::string customerId = CustomerId(item);
    ZARNSERVERID server{};
    ZARNCUST customer{};
    if (m_server) {
        m_server->Get(&server);
        m_server->Get(&customer, customerId.c_str());
    }
    m_dc.SelectFont(CZARN30DC::kHeading);
    m_dc.DrawText(m_c1, y0, "Customer ID:");
    m_dc.DrawText(m_c1, y0 + h, "Customer:");
    m_dc.DrawText(m_c1, y0 + 3 * h, "Address:");
    m_dc.DrawText(m_c3, y0, "Prepared by:");
    m_dc.DrawText(m_c3, y0 + h, "Server:");
    m_dc.DrawText(m_c3, y0 + 2 * h, "Ship Date:");
    m_dc.DrawText(m_c3, y0 + 3 * h, "Preparation Time:");

    m_prompt.customerLabel = customerId + " - " + zarn::ReadField(customer.name);
    m_prompt.boxNumbers.clear();
    if (m_showPrompt) {
        m_showPrompt(m_prompt);
    }

    m_dc.SelectFont(CZARN30DC::kBody);
    m_dc.DrawText(m_c2, y0, customerId);
    m_dc.DrawText(m_c2, y0 + h, item.GetCustomerName());
    m_dc.DrawText(m_c4, y0, zarn::ReadField(server.preparedBy));
    m_dc.DrawText(m_c4, y0 + h,
                  zarn::ReadField(server.serverId) + " - " + zarn::ReadField(server.serverName));
    m_dc.DrawText(m_c4, y0 + 2 * h,
                  LocalTime(static_cast<std::time_t>(m_prompt.shipTime), "%A, %B %d, %Y"));
    m_dc.DrawText(m_c4, y0 + 3 * h, LocalTime(std::time(nullptr), "%A, %B %d, %Y (%I:%M:%S %p)"));
    Advance(3);
    PrintAddress(customer);
    Advance(1);
    m_dc.SelectFont(CZARN30DC::kHeading);
    m_dc.DrawText(m_c1, m_y, "Notes:");
    m_dc.DrawText(m_c1, m_y + h, "Boxes:");
    m_dc.SelectFont(CZARN30DC::kBody);
    m_dc.DrawText(m_c2, m_y, m_prompt.shipNotes);
    Advance(1);
    PrintLines(m_prompt.boxNumbers);
    m_dc.DrawFrame(x0, y0, m_width, m_y);
}

void CZARN30Printer::PrintAddress(const ZARNCUST &customer) {
    std::string address(customer.address, sizeof customer.address);
    if (address[0] == '\0' && address[1] == '\0' && address[2] != '\0') {
        address[0] = address[1] = ' ';
        address.erase(0, address.find_first_not_of(" \t\r\n"));
    }
    address.resize(std::strlen(address.c_str()));  // up to the first NUL, at most 100
    PrintLines(address);
}

// Each line of text drawn at c2, one line apart, whatever ends its lines (CR LF from the store,
// LF from the prompt's window, a CR alone); the last need not end; an empty text still takes
// its line.
void CZARN30Printer::PrintLines(const std::string &text) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = text.find_first_of("\r\n", from);
        m_dc.DrawText(m_c2, m_y, text.substr(from, end - from));
        Advance(1);
        if (end == std::string::npos) {
            return;
        }
        from = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

void CZARN30Printer::PrintDirectionHeading(const CZARN10TreeVolume &item) {
    m_sectionOk = m_sectionNotOk = 0;
    const std::string customerId = CustomerId(item);
    const std::string mediaId = item.GetMediaId();
    const std::string to = RepositoryId(item.destination);
    const std::string from = RepositoryId(item.origin);
    ZARNREPOSITORY destination{}, origin{};
    if (m_server) {
        m_server->Get(&destination, customerId.c_str(), mediaId.c_str(), to.c_str());
        m_server->Get(&origin, customerId.c_str(), mediaId.c_str(), from.c_str());
    }
    m_dc.SelectFont(CZARN30DC::kHeading);
    if (item.blankEntry) {
        return;
    }
    PrintLine("Moving to: " + to + " (" + zarn::ReadField(destination.description) + ") from " +
              from + " (" + zarn::ReadField(origin.description) + ")");
    Advance(1);
    for (int column = 0; column < kColumns; ++column) {
        m_dc.DrawText(m_margin + column * m_columnWidth, m_y, std::to_string(column + 1));
    }
    const int rule = m_y + m_lineHeight;
    m_dc.DrawLine(0, rule, m_width, rule);
    m_y += m_lineHeight / 5;  // the first row's advance brings it just under the rule
}

void CZARN30Printer::PrintGridCell(const CZARN10TreeVolume &item) {
    const int n = m_sectionOk + m_sectionNotOk;
    // The cell keeps its column when the row's advance breaks the page (which puts x back).
    const int x = m_margin + (n % kColumns) * m_columnWidth;
    if (x == m_margin) {
        Advance(1);
        char label[16];
        std::snprintf(label, sizeof label, "%6.6d", n);
        m_dc.SelectFont(CZARN30DC::kHeading);
        m_dc.DrawText(0, m_y, label);
    }
    if (item.state != 0) {
        m_dc.SelectFont(CZARN30DC::kBody);
        ++m_sectionOk;
    } else {
        m_dc.SelectFont(CZARN30DC::kNotOk);
        ++m_sectionNotOk;
    }
    m_x = x;
    m_dc.DrawText(m_x, m_y, item.volumeSerial);
}
