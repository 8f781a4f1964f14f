#include "optionsdialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "ui_optionsdialog.h"

namespace {
const int kDescriptionRole = Qt::UserRole + 1;

// A changed value is shown in bold, as the grid marks modified properties.
void MarkWhenChanged(QWidget *editor, bool changed) {
    QFont font = editor->font();
    font.setBold(changed);
    editor->setFont(font);
}
}  // namespace

COptionsDialog::COptionsDialog(CZARN30SettingsBlock &block, zarn::UiServices &ui, QWidget *parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::COptionsDialog>()),
      m_block(block),
      m_services(ui) {
    m_ui->setupUi(this);
    m_ui->grid->setAccessibleName("Options");
    QTreeWidgetItem *speech = Group("Speech Text");
    m_texts[0] = TextRow(speech, "Query Text", "Text to be spoken when you query a Volume",
                         block.queryText, false);
    m_texts[1] = TextRow(speech, "Pick Text", "Text to be spoken when you pick a Volume",
                         block.pickText, false);
    QTreeWidgetItem *bitmaps = Group("Receipt Bitmaps");
    m_texts[2] =
        TextRow(bitmaps, "Header File", "Path to Header Bitmap File", block.receiptHeader, true);
    m_texts[3] =
        TextRow(bitmaps, "Footer File", "Path to Footer Bitmap File", block.receiptFooter, true);
    QTreeWidgetItem *general = Group("General Options");
    m_switches[0] = SwitchRow(general, "Customer Sort", "Sort List by Customer (not location)",
                              block.sortCustomer);
    m_switches[1] = SwitchRow(general, "Enable Realtime Updates",
                              "Update Volumes as they are scanned", block.realTimeUpdate);
    m_switches[2] = SwitchRow(general, "Disable Not-in-list Warnings",
                              "Disable Not-in-list Warnings", block.notInListDisabled);
    m_switches[3] = SwitchRow(general, "Disable Duplicate Scan Warnings",
                              "Disable Duplicate Scan Warnings", block.alreadyScannedDisabled);
    QTreeWidgetItem *tones = Group("Tones");
    m_switches[4] = SwitchRow(tones, "Tone for Accepted Scans",
                              "A short rising tone before the answer to an accepted scan",
                              block.toneAccepted);
    m_switches[5] = SwitchRow(tones, "Tone for Refused Scans",
                              "A low falling tone before the answer to a refused scan",
                              block.toneRefused);
    m_ui->grid->expandAll();
    // The names in full, however wide the font draws them.
    m_ui->grid->resizeColumnToContents(0);
    m_ui->grid->setColumnWidth(0,
                               m_ui->grid->columnWidth(0) + fontMetrics().averageCharWidth() * 2);
    connect(m_ui->grid, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        m_ui->description->setText(current ? current->data(0, kDescriptionRole).toString()
                                           : QString());
    });
    connect(m_ui->ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Tab walks the values in the grid's order, then OK and Cancel.
    QWidget *previous = m_ui->grid;
    for (QWidget *editor : m_editors) {
        setTabOrder(previous, editor);
        previous = editor;
    }
    setTabOrder(previous, m_ui->ok);
    setTabOrder(m_ui->ok, m_ui->cancel);
}

bool COptionsDialog::eventFilter(QObject *watched, QEvent *event) {
    // The description follows the field that has the focus, as it follows the current row.
    if (event->type() == QEvent::FocusIn) {
        const auto row = m_rowOfEditor.find(static_cast<QWidget *>(watched));
        if (row != m_rowOfEditor.end()) {
            m_ui->grid->setCurrentItem(row->second);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void COptionsDialog::Follow(QWidget *editor, QTreeWidgetItem *row) {
    editor->installEventFilter(this);
    m_rowOfEditor[editor] = row;
    m_editors.push_back(editor);
    editor->setAccessibleName(row->text(0));
}

COptionsDialog::~COptionsDialog() = default;

QString COptionsDialog::Description() const {
    return m_ui->description->text();
}

QTreeWidgetItem *COptionsDialog::Group(const QString &title) {
    auto *group = new QTreeWidgetItem(m_ui->grid, {title});
    QFont font = group->font(0);
    font.setBold(true);
    group->setFont(0, font);
    group->setFirstColumnSpanned(true);
    return group;
}

QTreeWidgetItem *COptionsDialog::Row(QTreeWidgetItem *group, const QString &name,
                                     const QString &description) {
    auto *row = new QTreeWidgetItem(group, {name});
    row->setData(0, kDescriptionRole, name + "\n" + description);
    return row;
}

QLineEdit *COptionsDialog::TextRow(QTreeWidgetItem *group, const QString &name,
                                   const QString &description, const std::string &value,
                                   bool bitmapFile) {
    QTreeWidgetItem *row = Row(group, name, description);
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *edit = new QLineEdit(QString::fromStdString(value), holder);
    edit->setObjectName(name);
    layout->addWidget(edit);
    Follow(edit, row);
    const QString original = edit->text();
    connect(edit, &QLineEdit::textChanged, edit,
            [edit, original](const QString &text) { MarkWhenChanged(edit, text != original); });
    if (bitmapFile) {
        auto *browse = new QPushButton("...", holder);
        browse->setAutoDefault(false);
        browse->setMaximumWidth(32);
        layout->addWidget(browse);
        Follow(browse, row);
        browse->setAccessibleName("Choose the " + name);
        connect(browse, &QPushButton::clicked, this, [this, edit]() {
            zarn::FileDialogRequest request;
            request.title = "Open";
            request.fileName = edit->text().toStdString();
            request.filter = "Bitmap Files (*.bmp)";
            std::string path;
            if (m_services.OpenFileDialog(request, path)) {
                edit->setText(QString::fromStdString(path));
            }
        });
    }
    m_ui->grid->setItemWidget(row, 1, holder);
    return edit;
}

QComboBox *COptionsDialog::SwitchRow(QTreeWidgetItem *group, const QString &name,
                                     const QString &description, int value) {
    QTreeWidgetItem *row = Row(group, name, description);
    auto *choice = new QComboBox;
    choice->setObjectName(name);
    Follow(choice, row);
    choice->addItems({"Yes", "No"});
    choice->setCurrentIndex(value ? 0 : 1);  // any nonzero value reads as yes
    const int original = choice->currentIndex();
    connect(choice, &QComboBox::currentIndexChanged, choice,
            [choice, original](int index) { MarkWhenChanged(choice, index != original); });
    m_ui->grid->setItemWidget(row, 1, choice);
    return choice;
}

void COptionsDialog::accept() {
    m_block.pickText = m_texts[1]->text().toStdString();
    m_block.queryText = m_texts[0]->text().toStdString();
    m_block.receiptHeader = m_texts[2]->text().toStdString();
    m_block.receiptFooter = m_texts[3]->text().toStdString();
    int *switches[] = {&m_block.sortCustomer,      &m_block.realTimeUpdate,
                       &m_block.notInListDisabled, &m_block.alreadyScannedDisabled,
                       &m_block.toneAccepted,      &m_block.toneRefused};
    for (size_t i = 0; i < m_switches.size(); ++i) {
        *switches[i] = m_switches[i]->currentIndex() == 0 ? 1 : 0;
    }
    QDialog::accept();
}
