#include "zarnlistctrl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace zarn {

const char kEmptyListText[] = "There are no items to display in this list.";

namespace {

const char kSelectionQuestion[] =
    "This operation requires you to have at least one item selected.\n\nWould you like to "
    "select all items?";

// Over an empty view, in every mode: a box saying the list holds nothing.
void PaintEmptyListMessage(QAbstractItemView &view) {
    if (view.model() && view.model()->rowCount() > 0) {
        return;
    }
    QPainter painter(view.viewport());
    const QRect area = view.viewport()->rect();
    const QRect box(area.left() + 30, area.top() + (area.height() - 40) / 2,
                    std::max(area.width() - 60, 0), 40);
    QPainterPath rounded;
    rounded.addRoundedRect(box, 10, 10);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(rounded, view.palette().color(QPalette::Button));
    painter.setPen(view.palette().color(QPalette::ButtonText));
    painter.drawText(box.adjusted(12, 12, -12, -12).marginsAdded(QMargins(0, 10, 0, 10)),
                     Qt::AlignCenter | Qt::TextWordWrap, kEmptyListText);
}

class ZarnReportView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void paintEvent(QPaintEvent *event) override {
        QTableView::paintEvent(event);
        PaintEmptyListMessage(*this);
    }
};

// The rows' header (hidden; every row the same height). On a removed row Qt's own header walks
// all its sections to renumber the hidden ones, which makes a scan's row cost the length of the
// list; with no section hidden or moved, taking the last section away instead is the same.
class UniformRowHeader : public QHeaderView {
public:
    explicit UniformRowHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent) {
        setSectionResizeMode(QHeaderView::Fixed);
    }
    void setModel(QAbstractItemModel *model) override {
        if (model == this->model()) {
            return;
        }
        QHeaderView::setModel(model);
        if (!model) {
            return;
        }
        disconnect(model, &QAbstractItemModel::rowsRemoved, this, nullptr);
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &parent, int, int) {
                    if (!parent.isValid()) {
                        Shrink();
                    }
                });
    }

private:
    void Shrink() {
        const int rows = model()->rowCount();
        if (rows == 0) {
            initializeSections();  // none left: cleared at once
        } else {
            initializeSections(rows - 1, rows - 1);
        }
    }
};

class ZarnIconView : public QListView {
public:
    using QListView::QListView;

protected:
    void paintEvent(QPaintEvent *event) override {
        QListView::paintEvent(event);
        PaintEmptyListMessage(*this);
    }
};

}  // namespace

CZARNListCtrl::CZARNListCtrl(ListSource *source, ListServices services, QWidget *parent)
    : QWidget(parent),
      m_source(source),
      m_services(services),
      m_model(new CZARNListModel(source, this)),
      m_stack(new QStackedWidget(this)),
      m_report(new ZarnReportView(m_stack)),
      m_icons(new ZarnIconView(m_stack)),
      m_header(new CZARNFilterHeader(m_report)),
      m_exporter(*this, {services.ui, services.desktop, services.profile, services.dialogs,
                         services.caption, services.logoPath, ""}) {
    setObjectName("CZARNListCtrl");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_stack);

    m_report->setObjectName("report");
    SetListName("List");
    m_report->setHorizontalHeader(m_header);
    m_report->setVerticalHeader(new UniformRowHeader(m_report));
    m_report->setModel(m_model);
    m_report->verticalHeader()->hide();
    m_report->verticalHeader()->setDefaultSectionSize(
        m_report->verticalHeader()->minimumSectionSize());
    m_report->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_report->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_report->setShowGrid(false);
    m_report->setWordWrap(false);
    m_report->setSortingEnabled(false);
    m_header->setSortIndicatorShown(true);
    m_header->setSortIndicator(-1, Qt::AscendingOrder);
    m_header->setStretchLastSection(true);
    m_header->onFilterChange = [this](int column, const QString &text) {
        OnFilterChange(column, text);
    };
    connect(m_header, &QHeaderView::sectionClicked, this,
            [this](int column) { OnHeaderClicked(column); });

    m_icons->setObjectName("icons");
    m_icons->setModel(m_model);
    m_icons->setSelectionModel(m_report->selectionModel());
    m_icons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_icons->setUniformItemSizes(true);
    m_stack->addWidget(m_report);
    m_stack->addWidget(m_icons);
    m_stack->setCurrentWidget(m_report);
    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(m_report), static_cast<QAbstractItemView *>(m_icons)}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);  // mouse and context-menu events go there
    }
    connect(m_report->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this]() { UpdateFooter(); });
    const auto footer = [this]() { UpdateFooter(); };
    connect(m_model, &QAbstractItemModel::modelReset, this, footer);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, footer);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, footer);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, footer);
    ColumnsChanged();
}

CZARNListCtrl::~CZARNListCtrl() = default;

void CZARNListCtrl::SetListName(const QString &name) {
    setAccessibleName(name);
    m_report->setAccessibleName(name);
    m_icons->setAccessibleName(name);
}

void CZARNListCtrl::ColumnsChanged() {
    m_model->SourceReset();
    m_header->MakeFields();
    // The widths the source asks for, but never narrower than the title.
    for (int column = 0; column < m_source->ColumnCount(); ++column) {
        m_header->resizeSection(
            column, std::max(m_source->ColumnWidth(column), m_header->sectionSizeHint(column)));
    }
}

void CZARNListCtrl::Refresh() {
    if (onRefresh) {
        onRefresh();
        return;
    }
    std::vector<int> rows = m_source->Rows(m_filters);
    const RowOrder order = Order();
    SortRows(*m_source, rows, order.column, order.ascending);
    SetRows(std::move(rows), order);
}

void CZARNListCtrl::SetRows(std::vector<int> rows, RowOrder order) {
    m_model->SetRows(std::move(rows), order);
    m_report->viewport()->update();
}

void CZARNListCtrl::ItemsChanged(const std::vector<int> &items) {
    for (int item : items) {
        if (item >= 0 && item < m_source->ItemCount()) {
            m_model->PlaceItem(item, m_source->Shows(item, m_filters));
        }
    }
}

RowOrder CZARNListCtrl::Order() const {
    const int column = m_sort.Column();
    return column >= 0 && column < m_source->ColumnCount() ? RowOrder{column, m_sort.Ascending()}
                                                           : RowOrder{};
}

int CZARNListCtrl::SetSortColumn(int column) {
    m_sort.SetSortColumn(column);
    UpdateArrow();
    return column;
}

int CZARNListCtrl::ToggleSortDirection() {
    const int ascending = m_sort.ToggleSortDirection();
    UpdateArrow();
    return ascending;
}

void CZARNListCtrl::ClearSort() {
    m_sort.Clear();
    UpdateArrow();
}

void CZARNListCtrl::UpdateArrow() {
    const SortArrow arrow = m_sort.ArrowOn(m_sort.Column());
    if (arrow == SortArrow::None) {
        m_header->setSortIndicator(-1, Qt::AscendingOrder);
    } else {
        // Qt's header draws its ascending order as an arrow pointing down: an arrow pointing
        // up, for an ascending sort, is its descending order.
        m_header->setSortIndicator(
            m_sort.Column(), arrow == SortArrow::Up ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    m_model->SetSortedColumn(m_sort.Column());
}

void CZARNListCtrl::OnHeaderClicked(int column) {
    SetSortColumn(column);
    const int ascending = ToggleSortDirection();
    if (onSort) {
        onSort(column, ascending);
        return;
    }
    std::vector<int> rows = m_model->Rows();
    SortRows(*m_source, rows, column, ascending);
    SetRows(std::move(rows), Order());
}

int CZARNListCtrl::ColumnFilterMatches(int column, const char *format, ...) const {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return m_filters.Matches(column, text);
}

void CZARNListCtrl::OnFilterChange(int column, const QString &pattern) {
    if (m_filters.Set(column, pattern.left(259).toStdString())) {
        Refresh();
    }
}

void CZARNListCtrl::SetContextMenu(unsigned menuId, int submenuIndex,
                                   std::function<void(QMenu *)> init, CommandTarget *target) {
    m_menuId = menuId;
    m_submenuIndex = submenuIndex;
    m_menuInit = std::move(init);
    m_menuTarget = target;
}

void CZARNListCtrl::ShowContextMenu(QPoint globalPosition) {
    if (m_menuId == 0) {
        return;
    }
    std::unique_ptr<QMenuBar> bar = LoadMenuResource(m_menuId);
    if (!bar) {
        m_services.ui->MessageBox("Unable to load menu resource", m_services.caption, kBoxOk);
        return;
    }
    const QList<QAction *> submenus = bar->actions();
    QMenu *popup = m_submenuIndex >= 0 && m_submenuIndex < submenus.size()
                       ? submenus[m_submenuIndex]->menu()
                       : nullptr;
    if (!popup) {
        m_services.ui->MessageBox("Unable to find submenu", m_services.caption, kBoxOk);
        return;
    }
    if (m_menuInit) {
        m_menuInit(popup);
    }
    QAction *chosen = popup->exec(globalPosition);
    if (chosen && m_menuTarget) {
        m_menuTarget->OnCommand(CommandOf(chosen));
    }
}

int CZARNListCtrl::SelectedCount() const {
    return static_cast<int>(m_report->selectionModel()->selectedRows().size());
}

int CZARNListCtrl::RequireSelection() {
    const int selected = SelectedCount();
    if (selected > 0) {
        return selected;
    }
    if (m_services.ui->MessageBox(kSelectionQuestion, "Selection Required",
                                  kBoxYesNo | kBoxIconQuestion) != kAnswerYes) {
        return 0;
    }
    SelectAll();
    return SelectedCount();
}

void CZARNListCtrl::SelectAll() {
    if (m_model->rowCount() == 0 || m_model->columnCount() == 0) {
        return;
    }
    m_report->selectionModel()->select(
        QItemSelection(m_model->index(0, 0),
                       m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CZARNListCtrl::InvertSelection() {
    if (m_model->rowCount() == 0 || m_model->columnCount() == 0) {
        return;
    }
    m_report->selectionModel()->select(
        QItemSelection(m_model->index(0, 0),
                       m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1)),
        QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

std::vector<int> CZARNListCtrl::SelectedItems() const {
    QModelIndexList selected = m_report->selectionModel()->selectedRows();
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(selected.size()));
    for (const QModelIndex &index : selected) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    for (int &row : rows) {
        row = m_model->ItemAt(row);
    }
    return rows;
}

std::vector<int> CZARNListCtrl::AllItems() const {
    return m_model->Rows();
}

void CZARNListCtrl::GoToRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    const int column = std::max(0, m_report->currentIndex().column());
    const QModelIndex target = m_model->index(row, column);
    m_report->selectionModel()->setCurrentIndex(
        target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_report->scrollTo(target);
    m_icons->scrollTo(target);
}

void CZARNListCtrl::CycleView() {
    switch (m_mode) {
        case ViewMode::Icon:
            m_mode = ViewMode::SmallIcon;
            m_icons->setViewMode(QListView::ListMode);
            m_icons->setFlow(QListView::LeftToRight);
            m_icons->setWrapping(true);
            m_icons->setIconSize(QSize(16, 16));
            break;
        case ViewMode::SmallIcon:
            m_mode = ViewMode::List;
            m_icons->setViewMode(QListView::ListMode);
            m_icons->setFlow(QListView::TopToBottom);
            m_icons->setWrapping(true);
            break;
        case ViewMode::List:
            m_mode = ViewMode::Report;
            m_stack->setCurrentWidget(m_report);
            m_report->setFocus();
            return;
        case ViewMode::Report:
            m_mode = ViewMode::Icon;
            m_icons->setViewMode(QListView::IconMode);
            m_icons->setIconSize(QSize(32, 32));
            break;
    }
    m_stack->setCurrentWidget(m_icons);
    m_icons->setFocus();
}

void CZARNListCtrl::AttachFooter(int controlId) {
    if (m_footer) {
        return;
    }
    m_footer = new CZARNListFooter(this);
    m_footer->setProperty("controlId", controlId);
    layout()->addWidget(m_footer);
    m_report->setSelectionBehavior(QAbstractItemView::SelectRows);
    UpdateFooter();
}

void CZARNListCtrl::UpdateFooter() {
    if (!m_footer) {
        return;
    }
    const QModelIndexList selected = m_report->selectionModel()->selectedRows();
    int first = 0;
    for (const QModelIndex &index : selected) {
        first = first == 0 ? index.row() + 1 : std::min(first, index.row() + 1);
    }
    m_footer->SetCounts(m_model->rowCount(), static_cast<int>(selected.size()), first);
}

void CZARNListCtrl::WriteListString(const std::string &entry, const std::string &value) {
    m_services.profile->WriteString(m_exporter.Section(), entry, value);
}

void CZARNListCtrl::WriteListInt(const std::string &entry, int value) {
    m_services.profile->WriteInt(m_exporter.Section(), entry, value);
}

std::string CZARNListCtrl::GetListString(const std::string &entry,
                                         const std::string &fallback) const {
    return m_services.profile->GetString(m_exporter.Section(), entry, fallback);
}

int CZARNListCtrl::GetListInt(const std::string &entry, int fallback) const {
    return m_services.profile->GetInt(m_exporter.Section(), entry, fallback);
}

bool CZARNListCtrl::HandleControlKey(int key) {
    switch (key) {
        case Qt::Key_A:
            SelectAll();
            return true;
        case Qt::Key_E:
            m_exporter.ExportWithTypeSelection("Export", nullptr);
            return true;
        case Qt::Key_I:
            InvertSelection();
            return true;
        case Qt::Key_S:
            CycleView();
            return true;
        default:
            return false;
    }
}

bool CZARNListCtrl::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && onKey && onKey(static_cast<QKeyEvent *>(event))) {
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool control = (key->modifiers() & Qt::ControlModifier) &&
                             !(key->modifiers() & (Qt::AltModifier | Qt::MetaModifier));
        const bool ours = control && (key->key() == Qt::Key_A || key->key() == Qt::Key_E ||
                                      key->key() == Qt::Key_I || key->key() == Qt::Key_S);
        if (ours && event->type() == QEvent::ShortcutOverride) {
            event->accept();  // the list takes these keys before any window shortcut
            return true;
        }
        if (ours) {
            HandleControlKey(key->key());
            return true;
        }
        if (key->key() == Qt::Key_Menu && event->type() == QEvent::KeyPress) {
            ShowContextMenu(m_report->viewport()->mapToGlobal(QPoint(5, 5)));
            return true;
        }
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                                 Qt::AltModifier | Qt::MetaModifier));
        if (plain && event->type() == QEvent::KeyPress &&
            (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            GoToRow(key->key() == Qt::Key_Home ? 0 : m_model->rowCount() - 1);
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu) {
        auto *menu = static_cast<QContextMenuEvent *>(event);
        const QPoint where = menu->reason() == QContextMenuEvent::Keyboard
                                 ? static_cast<QWidget *>(watched)->mapToGlobal(QPoint(5, 5))
                                 : menu->globalPos();
        ShowContextMenu(where);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zarn
