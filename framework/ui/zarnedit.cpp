#include "zarnedit.h"

#include <QKeyEvent>
#include <QToolTip>

namespace zarn {
namespace {
const int kTipMilliseconds = 10000;
}

CZARNEdit::CZARNEdit(Profile &profile, QWidget *parent, std::string shortcutFile)
    : QLineEdit(parent), m_smartEdit(profile, std::move(shortcutFile)) {
    m_tipTimer.setSingleShot(true);
    connect(&m_tipTimer, &QTimer::timeout, this, [this]() { HideTip(); });
}

void CZARNEdit::SetSmartEditId(const std::string &id, const std::string &description) {
    m_smartEdit.SetSmartEditId(id, description);
    setToolTip(QString::fromStdString(description));
    if (!m_smartEdit.SavedDefault().empty()) {
        setText(QString::fromStdString(m_smartEdit.SavedDefault()));
    }
}

void CZARNEdit::keyPressEvent(QKeyEvent *event) {
    const std::string before = text().toStdString();
    const int key = event->key();
    if (key != Qt::Key_F2 && key != Qt::Key_F5 && key != Qt::Key_F11) {
        QLineEdit::keyPressEvent(event);
    }
    m_smartEdit.EnsureShortcuts();
    switch (key) {
        case Qt::Key_F2:
            ShowTip(m_smartEdit.KeysTip());
            break;
        case Qt::Key_F5:
            if (const auto replacement = m_smartEdit.Expand(text().toStdString())) {
                setText(QString::fromStdString(*replacement));
            }
            break;
        case Qt::Key_F11:
            ShowTip(m_smartEdit.SaveDefault(text().toStdString()));
            break;
        default: {
            // The key's own code, as the keyboard names it (upper-case letters, digits).
            const std::string candidate =
                key >= 0x20 && key <= 0x7E ? before + static_cast<char>(key) : "";
            const auto hint = candidate.empty() ? std::nullopt : m_smartEdit.HintFor(candidate);
            if (hint) {
                ShowTip(*hint);
            } else {
                HideTip();
            }
        }
    }
    event->accept();
}

void CZARNEdit::ShowTip(const std::string &text) {
    m_tip = QString::fromStdString(text);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), m_tip, this);
    m_tipTimer.start(kTipMilliseconds);
}

void CZARNEdit::HideTip() {
    m_tip.clear();
    QToolTip::hideText();
}

}  // namespace zarn
