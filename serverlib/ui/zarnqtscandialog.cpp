#include "zarnqtscandialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace zarn {
namespace {
QtScanDialog *g_current = nullptr;
}

QtScanDialog::QtScanDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("ScanDialog");
    setWindowModality(Qt::ApplicationModal);
    setMinimumSize(460, 160);
    auto *layout = new QVBoxLayout(this);
    auto *prompt = new QLabel("Scan bar codes now. Each bar code ends with Enter.", this);
    layout->addWidget(prompt);
    m_typingLabel = new QLabel(this);
    m_typingLabel->setObjectName("typing");
    m_typingLabel->setTextFormat(Qt::PlainText);
    m_typingLabel->setStyleSheet("font-family: monospace; font-size: 16pt;");
    layout->addWidget(m_typingLabel);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setTextFormat(Qt::PlainText);
    layout->addWidget(m_status);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_close = new QPushButton("&Close", this);
    m_cancel = new QPushButton("Cancel", this);
    for (QPushButton *button : {m_close, m_cancel}) {
        // A scanner's Enter or a stray space must never press one.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(m_close, &QPushButton::clicked, this, [this]() { Finish(false); });
    connect(m_cancel, &QPushButton::clicked, this, [this]() { Finish(true); });
    installEventFilter(this);
}

QtScanDialog::~QtScanDialog() {
    if (g_current == this) {
        g_current = nullptr;
    }
}

QtScanDialog *QtScanDialog::Current() {
    return g_current;
}

void QtScanDialog::Open(const std::string &title) {
    setWindowTitle(QString::fromStdString(title));
    g_current = this;
    show();
    raise();
    activateWindow();
    setFocus();
}

bool QtScanDialog::NextLine(std::string &line) {
    // As under a modal dialog, what the last line posted is handled before the next is read.
    QCoreApplication::sendPostedEvents();
    while (m_lines.empty() && !m_finished) {
        QEventLoop waiting;
        m_waiting = &waiting;
        waiting.exec();
        m_waiting = nullptr;
    }
    if (m_lines.empty()) {
        return false;
    }
    line = m_lines.front();
    m_lines.pop_front();
    return true;
}

void QtScanDialog::ShowStatus(const std::string &text) {
    m_status->setText(QString::fromStdString(text));
}

void QtScanDialog::Close() {
    QCoreApplication::sendPostedEvents();
    if (g_current == this) {
        g_current = nullptr;
    }
    hide();
}

void QtScanDialog::Finish(bool cancelled) {
    m_cancelled = cancelled;
    m_finished = true;
    if (m_waiting) {
        m_waiting->quit();
    }
}

void QtScanDialog::FinishAfterTyping() {
    QMetaObject::invokeMethod(
        this, [this]() { Finish(false); }, Qt::QueuedConnection);
}

void QtScanDialog::reject() {
    Finish(true);  // Escape or the window's close box
}

void QtScanDialog::keyPressEvent(QKeyEvent *event) {
    if (!TakeKey(event)) {
        QDialog::keyPressEvent(event);
    }
}

bool QtScanDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && TakeKey(static_cast<QKeyEvent *>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool QtScanDialog::TakeKey(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!m_typing.isEmpty()) {
                m_lines.push_back(m_typing.toStdString());
                m_typing.clear();
                ShowTyping();
                if (m_waiting) {
                    m_waiting->quit();
                }
            }
            return true;
        case Qt::Key_Backspace:
            m_typing.chop(1);
            ShowTyping();
            return true;
        case Qt::Key_Escape:
            return false;
        default:
            break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint()) {
        // Beyond any bar code's length the rest of the line is dropped (it is refused at Enter
        // all the same): a runaway scanner must not make every key dearer than the last.
        if (m_typing.size() <= kLongestScannerLine) {
            m_typing += text.left(kLongestScannerLine + 1 - m_typing.size());
            ShowTyping();
        }
        return true;
    }
    return false;
}

void QtScanDialog::ShowTyping() {
    m_typingLabel->setText(m_typing);
}

}  // namespace zarn
