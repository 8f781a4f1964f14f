// "Add Filters": the origin/destination pairs below a tree node, each with a check box; only
// the ticked pairs' volumes are added. Header filters on From and To, sorting by a column
// click, space to flip the selected pairs, "&Check All" from the context menu.
#ifndef ZARN_TOLLGATE_UI_FILTERDIALOG_H
#define ZARN_TOLLGATE_UI_FILTERDIALOG_H

#include <QAbstractTableModel>
#include <QDialog>
#include <QTableView>

#include <functional>
#include <memory>

#include "zarn30treecommands.h"
#include "zarnfilterheader.h"

namespace Ui {
class CFilterDialog;
}

// The pairs shown (after the header filters, in the sort order) as a checkable table.
class CZARN30PairsModel : public QAbstractTableModel {
public:
    explicit CZARN30PairsModel(std::vector<CZARN10Direction> &pairs) : m_pairs(pairs) {}
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Refill: the pairs passing both filters, sorted.
    void Refill();
    CZARNFilter fromFilter, toFilter;
    int sortColumn = 0;
    int sortAscending = 1;
    CZARN10Direction &PairAt(int row) { return m_pairs[m_shown[static_cast<size_t>(row)]]; }

private:
    std::vector<CZARN10Direction> &m_pairs;
    std::vector<size_t> m_shown;
};

constexpr int kCmdCheckAll = 32788;

class CFilterDialog : public QDialog {
public:
    CFilterDialog(std::vector<CZARN10Direction> &pairs, QWidget *parent = nullptr);
    ~CFilterDialog() override;
    CZARN30PairsModel &Model() { return m_model; }
    QTableView *Pairs() const;
    void CheckAll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FlipSelected();
    std::unique_ptr<Ui::CFilterDialog> m_ui;
    CZARN30PairsModel m_model;
    zarn::CZARNFilterHeader *m_header;
};

// The presenter the tree commands run.
class QtFilterDialog : public FilterDialogPresenter {
public:
    explicit QtFilterDialog(QWidget *parent) : m_parent(parent) {}
    bool Run(CZARN30Filters &filters) override;
    std::function<void(CFilterDialog &)> beforeShowing;

private:
    QWidget *m_parent;
};

#endif
