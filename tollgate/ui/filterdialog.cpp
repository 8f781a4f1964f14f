#include "filterdialog.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

#include "ui_filterdialog.h"
#include "zarn30uicontext.h"
#include "zarnmenus.h"

int CZARN30PairsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int CZARN30PairsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CZARN30PairsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const CZARN10Direction &pair = m_pairs[m_shown[static_cast<size_t>(index.row())]];
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(index.column() == 0 ? pair.from.pattern : pair.to.pattern);
    }
    if (role == Qt::CheckStateRole && index.column() == 0) {
        return pair.checked ? Qt::Checked : Qt::Unchecked;
    }
    return {};
}

bool CZARN30PairsModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= rowCount()) {
        return false;
    }
    PairAt(index.row()).checked = value.toInt() == Qt::Checked ? 1 : 0;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CZARN30PairsModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == 0 ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant CZARN30PairsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == 0 ? "From" : "To";
}

void CZARN30PairsModel::Refill() {
    beginResetModel();
    m_shown.clear();
    for (size_t i = 0; i < m_pairs.size(); ++i) {
        if (FilterMatches(fromFilter, m_pairs[i].from.pattern.c_str()) &&
            FilterMatches(toFilter, m_pairs[i].to.pattern.c_str())) {
            m_shown.push_back(i);
        }
    }
    const auto id = [this](size_t i) -> const std::string & {
        return sortColumn == 0 ? m_pairs[i].from.pattern : m_pairs[i].to.pattern;
    };
    std::stable_sort(m_shown.begin(), m_shown.end(), [&](size_t a, size_t b) {
        return sortAscending ? id(a) < id(b) : id(b) < id(a);
    });
    endResetModel();
}

CFilterDialog::CFilterDialog(std::vector<CZARN10Direction> &pairs, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFilterDialog>()), m_model(pairs) {
    m_ui->setupUi(this);
    m_ui->pairs->setAccessibleName("Repository pairs");
    m_header = new zarn::CZARNFilterHeader(m_ui->pairs);
    m_ui->pairs->setHorizontalHeader(m_header);
    m_ui->pairs->setModel(&m_model);
    m_ui->pairs->verticalHeader()->hide();
    m_ui->pairs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ui->pairs->setColumnWidth(0, 100);
    m_header->setStretchLastSection(true);
    m_header->MakeFields();
    m_header->onFilterChange = [this](int column, const QString &text) {
        (column == 0 ? m_model.fromFilter : m_model.toFilter).pattern = text.toStdString();
        m_model.Refill();
    };
    connect(m_header, &QHeaderView::sectionClicked, this, [this](int column) {
        m_model.sortColumn = column;
        m_model.sortAscending = m_model.sortAscending ? 0 : 1;
        m_model.Refill();
    });
    m_ui->pairs->installEventFilter(this);
    m_ui->pairs->viewport()->installEventFilter(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_model.Refill();
    // The first pair is current and selected at opening, so Space ticks it at once.
    if (m_model.rowCount() > 0) {
        m_ui->pairs->setCurrentIndex(m_model.index(0, 0));
        m_ui->pairs->selectRow(0);
    }
    m_ui->pairs->setFocus();
}

CFilterDialog::~CFilterDialog() = default;

QTableView *CFilterDialog::Pairs() const {
    return m_ui->pairs;
}

void CFilterDialog::CheckAll() {
    for (int row = 0; row < m_model.rowCount(); ++row) {
        m_model.setData(m_model.index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
}

void CFilterDialog::FlipSelected() {
    // The selected pairs, else the current one; each changes in place, so the selection and
    // the current row stay where they are.
    QModelIndexList rows = m_ui->pairs->selectionModel()->selectedRows();
    if (rows.isEmpty() && m_ui->pairs->currentIndex().isValid()) {
        rows.append(m_model.index(m_ui->pairs->currentIndex().row(), 0));
    }
    for (const QModelIndex &row : rows) {
        const bool checked = m_model.PairAt(row.row()).checked != 0;
        m_model.setData(m_model.index(row.row(), 0), checked ? Qt::Unchecked : Qt::Checked,
                        Qt::CheckStateRole);
    }
}

bool CFilterDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        FlipSelected();
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        std::unique_ptr<QMenuBar> bar = zarn::LoadMenuResource(kMenuResource);
        QMenu *filter = bar && !bar->actions().isEmpty() ? bar->actions()[0]->menu() : nullptr;
        if (filter) {
            QAction *chosen = filter->exec(static_cast<QContextMenuEvent *>(event)->globalPos());
            if (zarn::CommandOf(chosen) == kCmdCheckAll) {
                CheckAll();
            }
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool QtFilterDialog::Run(CZARN30Filters &filters) {
    CFilterDialog dialog(filters.directions, m_parent);
    if (beforeShowing) {
        beforeShowing(dialog);
    }
    return dialog.exec() == QDialog::Accepted;
}
