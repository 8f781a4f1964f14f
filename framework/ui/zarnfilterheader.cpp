#include "zarnfilterheader.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace zarn {
namespace {
const int kTypingPauseMilliseconds = 300;
}

CZARNFilterHeader::CZARNFilterHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    connect(this, &QHeaderView::sectionResized, this, [this]() { PlaceFields(); });
    connect(this, &QHeaderView::sectionMoved, this, [this]() { PlaceFields(); });
}

QSize CZARNFilterHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (!m_fields.empty()) {
        size.setHeight(size.height() + m_fields.front()->sizeHint().height() + 2);
    }
    return size;
}

void CZARNFilterHeader::MakeFields() {
    for (QLineEdit *field : m_fields) {
        delete field;
    }
    m_fields.clear();
    m_pauses.clear();
    const int columns = model() ? model()->columnCount() : 0;
    for (int column = 0; column < columns; ++column) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QString("filter%1").arg(column));
        field->setPlaceholderText("Filter");
        const QString title = model()->headerData(column, Qt::Horizontal).toString();
        field->setAccessibleName("Filter " +
                                 (title.isEmpty() ? QString::number(column + 1) : title));
        field->setClearButtonEnabled(true);
        auto *pause = new QTimer(field);
        pause->setSingleShot(true);
        pause->setInterval(kTypingPauseMilliseconds);
        connect(pause, &QTimer::timeout, this, [this, column]() { Apply(column); });
        connect(field, &QLineEdit::textEdited, pause, qOverload<>(&QTimer::start));
        connect(field, &QLineEdit::returnPressed, this, [this, column, pause]() {
            pause->stop();
            Apply(column);
        });
        connect(field, &QLineEdit::textChanged, this, [this, column, pause](const QString &text) {
            if (text.isEmpty()) {  // the clear button
                pause->stop();
                Apply(column);
            }
        });
        field->installEventFilter(this);
        m_fields.push_back(field);
        m_pauses.push_back(pause);
        field->show();
    }
    updateGeometry();
    PlaceFields();
}

QLineEdit *CZARNFilterHeader::FilterField(int column) const {
    return column >= 0 && column < static_cast<int>(m_fields.size())
               ? m_fields[static_cast<size_t>(column)]
               : nullptr;
}

void CZARNFilterHeader::updateGeometries() {
    if (!m_fields.empty()) {
        setViewportMargins(0, 0, 0, m_fields.front()->sizeHint().height() + 2);
    } else {
        setViewportMargins(0, 0, 0, 0);
    }
    QHeaderView::updateGeometries();
    PlaceFields();
}

void CZARNFilterHeader::PlaceFields() {
    const int fieldHeight = m_fields.empty() ? 0 : m_fields.front()->sizeHint().height();
    const int top = viewport()->height() + 1;
    for (size_t column = 0; column < m_fields.size(); ++column) {
        QLineEdit *field = m_fields[column];
        const int section = static_cast<int>(column);
        if (isSectionHidden(section)) {
            field->hide();
            continue;
        }
        field->setGeometry(sectionViewportPosition(section), top, sectionSize(section) - 1,
                           fieldHeight);
        field->show();
    }
}

bool CZARNFilterHeader::eventFilter(QObject *watched, QEvent *event) {
    // Enter in a filter field applies the filter and nothing else: a dialog around the list
    // must not take it for its default button.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const auto field = std::find(m_fields.begin(), m_fields.end(), watched);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && field != m_fields.end()) {
            const auto column = static_cast<size_t>(field - m_fields.begin());
            m_pauses[column]->stop();
            Apply(static_cast<int>(column));
            return true;
        }
    }
    return QHeaderView::eventFilter(watched, event);
}

void CZARNFilterHeader::Apply(int column) {
    if (onFilterChange) {
        onFilterChange(column, FilterField(column)->text());
    }
}

}  // namespace zarn
