#include "zarn30dc.h"

#include <QFontMetrics>
#include <QPdfWriter>

#include <algorithm>

namespace {

// Times New Roman's metric twin on Debian (fonts-liberation); the generic serif otherwise.
QFont ReceiptFont(int pixels, int weight, bool underline) {
    QFont font("Liberation Serif");
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(std::max(1, pixels));
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setUnderline(underline);
    return font;
}

}  // namespace

bool CZARN30PainterDC::StartDocument(const std::string &name) {
    if (auto *pdf = dynamic_cast<QPdfWriter *>(&m_device)) {
        pdf->setTitle(QString::fromStdString(name));
    }
    return m_painter.begin(&m_device);
}

void CZARN30PainterDC::NewPage() {
    m_device.newPage();
}

void CZARN30PainterDC::EndDocument() {
    m_painter.end();
}

void CZARN30PainterDC::AbortDocument() {
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

int CZARN30PainterDC::Width() const {
    return m_device.width();
}

int CZARN30PainterDC::Height() const {
    return m_device.height();
}

int CZARN30PainterDC::PixelsPerInchY() const {
    return m_device.logicalDpiY();
}

void CZARN30PainterDC::CreateFonts(int pointUnit) {
    m_fonts[kHeading] = ReceiptFont(pointUnit * 10, QFont::Bold, false);
    m_fonts[kBody] = ReceiptFont(pointUnit * 8, QFont::Normal, false);
    m_fonts[kNotOk] = ReceiptFont(pointUnit * 8, QFont::Normal, true);
    m_fonts[kSmall] = ReceiptFont(pointUnit * 6, QFont::Normal, false);
}

void CZARN30PainterDC::SelectFont(Font font) {
    m_painter.setFont(m_fonts[font]);
}

int CZARN30PainterDC::LineHeight() const {
    return QFontMetrics(m_painter.font(), &m_device).height();
}

int CZARN30PainterDC::AverageCharWidth() const {
    // Measured on letters as they are drawn: the font's own average (its OS/2 table) counts
    // every glyph it holds and is wider than text is.
    static const QString letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int width = QFontMetrics(m_painter.font(), &m_device).horizontalAdvance(letters);
    return (width + static_cast<int>(letters.size()) / 2) / static_cast<int>(letters.size());
}

int CZARN30PainterDC::TextWidth(const std::string &text) const {
    return QFontMetrics(m_painter.font(), &m_device)
        .horizontalAdvance(QString::fromStdString(text));
}

void CZARN30PainterDC::DrawText(int x, int y, const std::string &text) {
    const QFontMetrics metrics(m_painter.font(), &m_device);
    // What would pass the printable width is cut with an ellipsis: nothing is drawn beyond it.
    const QString shown =
        metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, std::max(0, Width() - x));
    m_painter.drawText(x, y + metrics.ascent(), shown);
}

int CZARN30PainterDC::PenWidth() const {
    return std::max(1, m_device.logicalDpiY() / 72);  // one point
}

// Lines and frames keep their whole stroke inside the printable area: an edge at its border
// is drawn half a pen inside it.
QPoint CZARN30PainterDC::Inside(int x, int y) const {
    const int half = PenWidth() / 2;
    return QPoint(std::clamp(x, half, std::max(half, Width() - 1 - half)),
                  std::clamp(y, half, std::max(half, Height() - 1 - half)));
}

void CZARN30PainterDC::DrawLine(int x0, int y0, int x1, int y1) {
    m_painter.setPen(QPen(Qt::black, PenWidth(), Qt::SolidLine, Qt::FlatCap));
    m_painter.drawLine(Inside(x0, y0), Inside(x1, y1));
}

void CZARN30PainterDC::DrawFrame(int left, int top, int right, int bottom) {
    m_painter.setPen(QPen(Qt::black, PenWidth(), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRect(Inside(left, top), Inside(right, bottom)));
}

void CZARN30PainterDC::DrawImage(int x, int y, int width, int height, const QImage &image) {
    m_painter.drawImage(QRect(x, y, width, height), image);
}
