// A list source over a table of texts held in memory, and export dialogs answered by script,
// for tests of lists and exports.
#ifndef ZARN_TESTS_TABLESOURCE_H
#define ZARN_TESTS_TABLESOURCE_H

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "zarnlistexporter.h"
#include "zarnlistsource.h"

namespace zarn::test {

class TableSource : public ListSource {
public:
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> cells;  // [item][column]
    std::map<std::pair<int, int>, CellStyle> styles;

    int ColumnCount() const override { return static_cast<int>(titles.size()); }
    std::string ColumnTitle(int column) const override { return titles[column]; }
    int ItemCount() const override { return static_cast<int>(cells.size()); }
    std::string CellText(int item, int column) const override { return cells[item][column]; }
    CellStyle Style(int item, int column) const override {
        const auto found = styles.find({item, column});
        return found == styles.end() ? CellStyle{} : found->second;
    }
};

// A list of every item of a source with a chosen selection.
class TableList : public ExportableList {
public:
    explicit TableList(const ListSource &source) : m_source(source) {}
    const ListSource &Source() const override { return m_source; }
    std::vector<int> AllItems() const override {
        std::vector<int> items;
        for (int item = 0; item < m_source.ItemCount(); ++item) {
            items.push_back(item);
        }
        return items;
    }
    std::vector<int> SelectedItems() const override { return selected; }
    void SelectAll() override { selected = AllItems(); }
    int RequireSelection() override { return static_cast<int>(selected.size()); }
    std::vector<int> selected;

private:
    const ListSource &m_source;
};

class ScriptedExportDialogs : public ExportDialogs {
public:
    std::optional<ExportTypeChoice> type;  // nullopt: the operator cancels
    std::optional<PdfOptions> pdf;         // nullopt: cancelled
    int typeDialogs = 0;
    PdfOptions offeredPdf;

    std::optional<ExportTypeChoice> ChooseType(ExportableList &, bool) override {
        ++typeDialogs;
        return type;
    }
    bool ChoosePdfOptions(PdfOptions &options) override {
        offeredPdf = options;
        if (!pdf) {
            return false;
        }
        options = *pdf;
        return true;
    }
};

}  // namespace zarn::test

#endif
