// What the three lists of the main window show: the To-Scan list (volumes not scanned), the
// Done list (volumes scanned) and the Errors list (rejected scans), as sources of cell texts,
// colours, sort keys and rows for the smart list control.
#ifndef ZARN_TOLLGATE_ZARN30LISTSOURCES_H
#define ZARN_TOLLGATE_ZARN30LISTSOURCES_H

#include "zarn30doc.h"
#include "zarnlistsource.h"

// Images of the lists.
constexpr int kImageVolume = 0;
constexpr int kImageContainer = 1;  // To-Scan: a container
constexpr int kImageFailed = 1;     // Done: an update that failed
constexpr int kImageSkipped = 2;    // To-Scan: skipped ("!S"), still to be picked

// Items are positions in the document's To-Scan list.
class CZARN30VolumeSource : public zarn::ListSource {
public:
    explicit CZARN30VolumeSource(CZARN30Doc &doc) : m_doc(doc) {}
    int ItemCount() const override { return static_cast<int>(m_doc.toScanList.size()); }
    zarn::SortKey Key(int item, int column) const override;
    // The volume itself: its place in the list changes when the list is sorted.
    uintptr_t ItemIdentity(int item) const override {
        return reinterpret_cast<uintptr_t>(m_doc.toScanList[static_cast<size_t>(item)]);
    }
    const CZARN10TreeVolume &Volume(int item) const { return *m_doc.toScanList[item]; }
    CZARN10TreeVolume &Volume(int item) { return *m_doc.toScanList[item]; }

protected:
    // The cell texts both volume lists share (columns 0 to 6).
    std::string SharedText(const CZARN10TreeVolume &volume, int column) const;
    bool Passes(const zarn::CZARNListFilters &filters, const CZARN10TreeVolume &volume,
                int lastColumn) const;
    CZARN30Doc &m_doc;
};

class CZARN30ActiveSource : public CZARN30VolumeSource {
public:
    using CZARN30VolumeSource::CZARN30VolumeSource;
    int ColumnCount() const override { return 8; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    std::string CellText(int item, int column) const override;
    zarn::CellStyle Style(int item, int column) const override;
    // Items not scanned that pass the filters; the others are hidden (state 3).
    std::vector<int> Rows(const zarn::CZARNListFilters &filters) override;
    bool Shows(int item, const zarn::CZARNListFilters &filters) override;
};

class CZARN30ScannedSource : public CZARN30VolumeSource {
public:
    using CZARN30VolumeSource::CZARN30VolumeSource;
    int ColumnCount() const override { return 9; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    std::string CellText(int item, int column) const override;
    zarn::CellStyle Style(int item, int column) const override;
    std::vector<int> Rows(const zarn::CZARNListFilters &filters) override;
    bool Shows(int item, const zarn::CZARNListFilters &filters) override;
};

// Items are positions in the document's error list; "Sequence" is the position.
class CZARN30ErrorSource : public zarn::ListSource {
public:
    explicit CZARN30ErrorSource(CZARN30Doc &doc) : m_doc(doc) {}
    int ColumnCount() const override { return 5; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    int ItemCount() const override { return static_cast<int>(m_doc.errorList.size()); }
    std::string CellText(int item, int column) const override;
    std::vector<int> Rows(const zarn::CZARNListFilters &filters) override;

private:
    CZARN30Doc &m_doc;
};

// The "Scan Error Warning" list: the error entries newest first, with their scan sequence.
class CZARN30WarningSource : public zarn::ListSource {
public:
    explicit CZARN30WarningSource(const std::vector<CZARN30BadScanItem> &errors)
        : m_errors(errors) {}
    int ColumnCount() const override { return 5; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    int ItemCount() const override { return static_cast<int>(m_errors.size()); }
    std::string CellText(int item, int column) const override;
    std::vector<int> Rows(const zarn::CZARNListFilters &filters) override;

private:
    const std::vector<CZARN30BadScanItem> &m_errors;
};

// Query exceptions: one row per entry, its five patterns.
class CZARN30QueryExceptionSource : public zarn::ListSource {
public:
    explicit CZARN30QueryExceptionSource(const std::vector<QueryPermissionsItem> &entries)
        : m_entries(entries) {}
    int ColumnCount() const override { return 5; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    int ItemCount() const override { return static_cast<int>(m_entries.size()); }
    std::string CellText(int item, int column) const override;

private:
    const std::vector<QueryPermissionsItem> &m_entries;
};

#endif
