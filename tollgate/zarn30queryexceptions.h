// The query exception table: volume patterns read from "QueryExceptions.txt". Query-mode
// scanning does not start while listed volumes match one.
#ifndef ZARN_TOLLGATE_ZARN30QUERYEXCEPTIONS_H
#define ZARN_TOLLGATE_ZARN30QUERYEXCEPTIONS_H

#include <array>
#include <istream>
#include <string>
#include <vector>

#include "zarnfilter.h"

class CZARN10TreeVolume;

struct QueryPermissionsItem {
    // customer, media, volume, from (origin), to (destination)
    std::array<CZARNFilter, 5> patterns;
};

// Shows the table (the "Query Exceptions" window); tests and the program provide it.
class QueryExceptionPresenter {
public:
    virtual ~QueryExceptionPresenter() = default;
    virtual void Show(const std::vector<QueryPermissionsItem> &entries) = 0;
};

// The query exception table, and its window.
class CQueryExceptionDlg {
public:
    explicit CQueryExceptionDlg(std::string path = "QueryExceptions.txt")
        : m_path(std::move(path)) {}

    void SetPath(std::string path) { m_path = std::move(path); }
    // Empties the table and reads the file again; a missing file gives an empty table. A bare
    // name is looked for in the user's, then the system's, then the program's folder.
    void Load();
    void Load(std::istream &input);
    // 1 when some entry matches the item, else 0.
    int Match(const CZARN10TreeVolume &item) const;

    const std::vector<QueryPermissionsItem> &Entries() const { return m_entries; }
    // Reads the file again and shows the table; it changes nothing.
    void DoModal();
    QueryExceptionPresenter *presenter = nullptr;

private:
    void TakeLine(std::string line);
    std::string m_path;
    std::vector<QueryPermissionsItem> m_entries;
};

// The fields of one line: split at commas outside quotes; a quote opening a field is dropped
// and a closing quote ends the field's text.
std::vector<std::string> SplitExceptionLine(const std::string &line);

#endif
