#include "zarnqtscandialog.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace zarn {
namespace {
QtScanDialog *g_current = nullptr;
}

QtScanDialog::QtScanDialog(QWidget *parent) : QDialog(parent) {
    RepaintPacer::PaceWindow(this);
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
    // The answer to the last scan, as it was spoken.
    auto *verdictRow = new QHBoxLayout;
    m_verdictIcon = new QLabel(this);
    m_verdictIcon->setFixedSize(48, 48);
    verdictRow->addWidget(m_verdictIcon);
    m_verdict = new QLabel(this);
    m_verdict->setObjectName("verdict");
    m_verdict->setTextFormat(Qt::PlainText);
    m_verdict->setWordWrap(true);
    m_verdict->setMinimumHeight(56);
    m_verdict->setAccessibleName("Answer");
    m_verdict->setFocusPolicy(Qt::NoFocus);
    QFont large = m_verdict->font();
    large.setPointSizeF(large.pointSizeF() * 1.8);
    large.setBold(true);
    m_verdict->setFont(large);
    verdictRow->addWidget(m_verdict, 1);
    layout->addLayout(verdictRow);
    auto *historyLabel = new QLabel("Last answers:", this);
    layout->addWidget(historyLabel);
    m_history = new QListWidget(this);
    m_history->setObjectName("history");
    m_history->setAccessibleName("Last answers");
    m_history->setFocusPolicy(Qt::NoFocus);  // the scanner's keys stay with the dialog
    m_history->setMaximumHeight(m_history->fontMetrics().height() * 11);
    layout->addWidget(m_history);
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

namespace {

struct AnswerLook {
    const char *word;
    QStyle::StandardPixmap icon;
    const char *background;  // with dark text: readable in any theme
};

AnswerLook LookOf(AnswerKind kind) {
    switch (kind) {
        case AnswerKind::Accepted:
            return {"Accepted", QStyle::SP_DialogApplyButton, "#c8f0c8"};
        case AnswerKind::Warning:
            return {"Warning", QStyle::SP_MessageBoxWarning, "#fbe6a2"};
        case AnswerKind::Refused:
            return {"Refused", QStyle::SP_MessageBoxCritical, "#f6c3c3"};
        default:
            return {"Note", QStyle::SP_MessageBoxInformation, "#d6e4f5"};
    }
}

}  // namespace

void QtScanDialog::ShowAnswer(const ScanAnswer &answer) {
    const AnswerLook look = LookOf(answer.kind);
    const QString shown = QString("%1: %2").arg(look.word, QString::fromStdString(answer.text));
    m_verdict->setText(shown);
    if (!m_icons.count(answer.kind)) {
        m_icons[answer.kind] = style()->standardIcon(look.icon);
        m_largeIcons[answer.kind] = m_icons[answer.kind].pixmap(48, 48);
    }
    if (m_shownKind != answer.kind) {
        m_shownKind = answer.kind;
        m_verdict->setStyleSheet(QString("QLabel { background: %1; color: #111; padding: 6px;"
                                         " border-radius: 4px; }")
                                     .arg(look.background));
        m_verdictIcon->setPixmap(m_largeIcons[answer.kind]);
        m_verdictIcon->setAccessibleName(look.word);
    }
    const QString scanned = QString::fromStdString(answer.scanned);
    auto *entry = new QListWidgetItem(m_icons[answer.kind],
                                      scanned.isEmpty() ? shown : scanned + "  " + shown);
    m_history->insertItem(0, entry);
    while (m_history->count() > kHistoryLength) {
        delete m_history->takeItem(m_history->count() - 1);
    }
    // A screen reader says it at once, whatever has the focus.
    QAccessibleEvent alert(m_verdict, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    if (onAlert) {
        onAlert(shown.toStdString());
    }
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
