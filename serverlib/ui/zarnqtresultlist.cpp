#include "zarnqtresultlist.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zarn {

std::function<void(QDialog &)> QtResultList::beforeShowing;

bool QtResultList::Show(const std::vector<ResultListEntry> &entries) {
    QDialog dialog(m_parent);
    dialog.setObjectName("ResultList");
    dialog.setWindowTitle("Results");
    dialog.resize(560, 420);
    auto *layout = new QVBoxLayout(&dialog);
    int failed = 0;
    for (const ResultListEntry &entry : entries) {
        failed += entry.result.IsOK(0) ? 0 : 1;
    }
    layout->addWidget(
        new QLabel(QString("%1 results, %2 failed").arg(entries.size()).arg(failed), &dialog));
    auto *table = new QTableWidget(static_cast<int>(entries.size()), 2, &dialog);
    table->setObjectName("results");
    table->setHorizontalHeaderLabels({"Item", "Result"});
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (size_t row = 0; row < entries.size(); ++row) {
        const int r = static_cast<int>(row);
        table->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(entries[row].text)));
        auto *result = new QTableWidgetItem(QString::fromUtf8(entries[row].result.Get()));
        if (!entries[row].result.IsOK(0)) {
            result->setForeground(Qt::red);
        }
        table->setItem(r, 1, result);
    }
    table->resizeColumnToContents(0);
    layout->addWidget(table);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (beforeShowing) {
        beforeShowing(dialog);
    }
    return dialog.exec() != QDialog::Accepted;
}

void QtInfoWindow::Show(const std::string &title, const std::vector<std::string> &lines) {
    QDialog dialog(m_parent);
    dialog.setObjectName("InfoWindow");
    dialog.setWindowTitle(QString::fromStdString(title));
    auto *layout = new QVBoxLayout(&dialog);
    for (const std::string &line : lines) {
        auto *label = new QLabel(QString::fromStdString(line), &dialog);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    if (QtResultList::beforeShowing) {
        QtResultList::beforeShowing(dialog);
    }
    dialog.exec();
}

}  // namespace zarn
