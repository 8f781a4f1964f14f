#include "zarnqtprogress.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarn {

QtProgressWindow::QtProgressWindow(QWidget *parent) : QDialog(parent) {
    setObjectName("ProgressWindow");
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(420);
    auto *layout = new QVBoxLayout(this);
    for (QLabel *&line : m_lines) {
        line = new QLabel(this);
        line->setTextFormat(Qt::PlainText);
        layout->addWidget(line);
    }
    m_bar = new QProgressBar(this);
    layout->addWidget(m_bar);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, [this]() { m_cancelled = true; });
}

void QtProgressWindow::Start(const std::string &title) {
    setWindowTitle(QString::fromStdString(title));
    show();
    ShowNow();
}

void QtProgressWindow::SetLine(int line, const std::string &text) {
    if (line == 1 || line == 2) {
        m_lines[line - 1]->setText(QString::fromStdString(text).left(1024));
    }
}

void QtProgressWindow::SetPosition(unsigned done, unsigned total) {
    m_bar->setRange(0, static_cast<int>(std::min<unsigned>(total, INT32_MAX)));
    m_bar->setValue(static_cast<int>(std::min(done, total)));
}

bool QtProgressWindow::WantsUpdate() {
    return !m_sinceShown.isValid() || m_sinceShown.elapsed() >= kRepaintMilliseconds;
}

bool QtProgressWindow::CancelRequested() {
    if (WantsUpdate()) {
        ShowNow();
    }
    return m_cancelled;
}

void QtProgressWindow::ShowNow() {
    // The window is application-modal: only its Cancel can take input here.
    QApplication::processEvents();
    m_sinceShown.restart();
}

void QtProgressWindow::Stop() {
    hide();
}

}  // namespace zarn
