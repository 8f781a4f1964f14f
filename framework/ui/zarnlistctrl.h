// The list of every window of both programs: an owner-data list (the source makes the cell
// texts) with a sort arrow and shading, filters typed into the header, a context menu, a
// message when empty, Ctrl+A / Ctrl+E / Ctrl+I / Ctrl+S, the selection check, a footer with
// counts, per-list profile entries and the exports.
#ifndef ZARN_FRAMEWORK_UI_ZARNLISTCTRL_H
#define ZARN_FRAMEWORK_UI_ZARNLISTCTRL_H

#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QTableView>
#include <QWidget>

#include <functional>
#include <memory>

#include "zarnfilterheader.h"
#include "zarnlistexporter.h"
#include "zarnlistfilters.h"
#include "zarnlistfooter.h"
#include "zarnlistmodel.h"
#include "zarnmenus.h"

namespace zarn {

struct ListServices {
    UiServices *ui = nullptr;
    DesktopServices *desktop = nullptr;
    Profile *profile = nullptr;
    ExportDialogs *dialogs = nullptr;
    std::string caption;   // the program's name, for plain message boxes
    std::string logoPath;  // the PDF export's logo
};

extern const char kEmptyListText[];

class CZARNListCtrl : public QWidget, public ExportableList {
public:
    enum class ViewMode { Icon, SmallIcon, List, Report };

    CZARNListCtrl(ListSource *source, ListServices services, QWidget *parent = nullptr);
    ~CZARNListCtrl() override;

    // Rows: by default every item that passes the filters, in the sort column's order.
    // An owner with rules of its own sets onRefresh and calls SetRows from it.
    void Refresh();
    void SetRows(std::vector<int> rows, RowOrder order = {});
    std::function<void()> onRefresh;
    void ItemChanged(int item) { m_model->ItemChanged(item); }
    // These items changed (their cells, or whether the source shows them): their rows alone
    // are added, taken away or redrawn, in the list's order; a scan costs what it changes.
    void ItemsChanged(const std::vector<int> &items);
    // The source's columns changed: titles, widths and filter fields are made anew.
    void ColumnsChanged();
    // What a screen reader calls the list ("To-Scan"); its filter fields are "Filter" and
    // their column's title.
    void SetListName(const QString &name);

    // The source's own order again: no column sorted, no arrow.
    void ClearSort();
    int SetSortColumn(int column);
    int ToggleSortDirection();
    const CZARNListSort &Sort() const { return m_sort; }
    // A header click: the new column and direction; by default the rows are sorted.
    std::function<void(int column, int ascending)> onSort;
    // Keys the owner takes before the list's own handling (true: taken).
    std::function<bool(QKeyEvent *)> onKey;

    const CZARNListFilters &Filters() const { return m_filters; }
    int ColumnFilterMatches(int column, const char *format, ...) const
        __attribute__((format(printf, 3, 4)));
    void OnFilterChange(int column, const QString &pattern);

    void SetContextMenu(unsigned menuId, int submenuIndex, std::function<void(QMenu *)> init,
                        CommandTarget *target);
    void ShowContextMenu(QPoint globalPosition);

    int RequireSelection() override;
    void SelectAll() override;
    void InvertSelection();
    int SelectedCount() const;
    std::vector<int> SelectedItems() const override;
    std::vector<int> AllItems() const override;
    const ListSource &Source() const override { return *m_source; }

    void CycleView();
    ViewMode Mode() const { return m_mode; }
    void AttachFooter(int controlId);
    CZARNListFooter *Footer() const { return m_footer; }

    void WriteListString(const std::string &entry, const std::string &value);
    void WriteListInt(const std::string &entry, int value);
    std::string GetListString(const std::string &entry, const std::string &fallback) const;
    int GetListInt(const std::string &entry, int fallback) const;

    CZARNListExporter &Exporter() { return m_exporter; }
    QTableView *ReportView() const { return m_report; }
    QListView *IconView() const { return m_icons; }
    CZARNListModel *Model() const { return m_model; }
    CZARNFilterHeader *Header() const { return m_header; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool HandleControlKey(int key);
    // Home and End: the first or last row, current and selected.
    void GoToRow(int row);
    void OnHeaderClicked(int column);
    void UpdateFooter();
    void UpdateArrow();
    // The order the list's rows are in: the sorted column's, else the source's.
    RowOrder Order() const;

    ListSource *m_source;
    ListServices m_services;
    CZARNListModel *m_model;
    QStackedWidget *m_stack;
    QTableView *m_report;
    QListView *m_icons;
    CZARNFilterHeader *m_header;
    CZARNListFooter *m_footer = nullptr;
    CZARNListFilters m_filters;
    CZARNListSort m_sort;
    ViewMode m_mode = ViewMode::Report;
    unsigned m_menuId = 0;
    int m_submenuIndex = 0;
    std::function<void(QMenu *)> m_menuInit;
    CommandTarget *m_menuTarget = nullptr;
    CZARNListExporter m_exporter;
};

}  // namespace zarn

#endif
