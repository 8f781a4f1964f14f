#include "zarnlistfooter.h"

#include <QPainter>

#include "thousands.h"

namespace zarn {
namespace {

const char *const kLabels[] = {"Total Items", "Total Selected", "First Selection"};

QString WithThousands(int value) {
    char text[ZARN_THOUSANDS_SIZE];
    return QString::fromLatin1(
        FormatThousands(static_cast<uint64_t>(std::max(value, 0)), text, sizeof text));
}

}  // namespace

CZARNListFooter::CZARNListFooter(QWidget *parent) : QWidget(parent) {
    setObjectName("CZARNListFooter");
    setFixedHeight(kHeight);
}

void CZARNListFooter::SetCounts(int items, int selected, int firstSelection) {
    if (items == m_items && selected == m_selected && firstSelection == m_firstSelection) {
        return;
    }
    m_items = items;
    m_selected = selected;
    m_firstSelection = firstSelection;
    update();
}

QString CZARNListFooter::Text(int pane) const {
    if (pane < 0 || pane > 2 || (pane > 0 && m_selected == 0)) {
        return "";
    }
    const int value = pane == 0 ? m_items : pane == 1 ? m_selected : m_firstSelection;
    return QString(kLabels[pane]) + " " + WithThousands(value);
}

void CZARNListFooter::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QFontMetrics metrics(font());
    const int paneWidth = std::max(100, width() / 3);
    for (int pane = 0; pane < 3; ++pane) {
        if (pane > 0 && m_selected == 0) {
            break;
        }
        const int left = pane * paneWidth;
        const QString label = kLabels[pane];
        const int labelWidth = metrics.horizontalAdvance(label);
        const QRect box(left, 1, labelWidth + 10, height() - 2);
        painter.fillRect(box, palette().color(QPalette::Shadow));
        painter.setPen(Qt::white);
        painter.drawText(box.adjusted(5, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, label);
        const int value = pane == 0 ? m_items : pane == 1 ? m_selected : m_firstSelection;
        painter.setPen(Qt::black);
        painter.drawText(QRect(left + labelWidth + 20, 1, paneWidth, height() - 2),
                         Qt::AlignVCenter | Qt::AlignLeft, WithThousands(value));
    }
}

}  // namespace zarn
