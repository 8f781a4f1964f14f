#include "tabview.h"

#include <QStyle>

#include "thousands.h"
#include "zarnrepaintpacer.h"

namespace {

QString Counted(const char *label, long long count) {
    char text[ZARN_THOUSANDS_SIZE];
    return QString("%1 (%2)").arg(
        label, FormatThousands(static_cast<uint64_t>(std::max(0LL, count)), text, sizeof text));
}

}  // namespace

CZARN30TabView::CZARN30TabView(CZARN30Doc &doc, CZARN30MainLogic &logic,
                               const CZARN30UiContext &context, QWidget *parent)
    : QTabWidget(parent),
      m_doc(doc),
      m_active(new CActiveList(doc, logic, context, this, this)),
      m_scanned(new CScannedList(doc, context, this, this)),
      m_errors(new CErrorList(doc, context, this, this)) {
    setObjectName("CZARN30TabView");
    setAccessibleName("Scan lists");
    setDocumentMode(true);
    addTab(m_active, style()->standardIcon(QStyle::SP_FileDialogListView), "To-Scan      ");
    addTab(m_scanned, style()->standardIcon(QStyle::SP_DialogApplyButton), "Scaned      ");
    addTab(m_errors, style()->standardIcon(QStyle::SP_MessageBoxCritical), "Errors        ");
    QFont bold = tabBar()->font();
    bold.setBold(true);
    tabBar()->setFont(bold);
    m_renameTabs.setSingleShot(true);
    m_renameTabs.setInterval(zarn::RepaintPacer::kFrameMs);
    connect(&m_renameTabs, &QTimer::timeout, this, [this]() { RenameTabs(); });
    doc.AddView(this);
    RefreshLists();
}

CZARN30TabView::~CZARN30TabView() {
    m_doc.RemoveView(this);
}

void CZARN30TabView::OnUpdate(zarn::View *, intptr_t hint) {
    if (hint == zarn::kHintConnectionChanged || hint == zarn::kHintListsChanged) {
        RefreshLists();
    } else if (hint == zarn::kHintItemsChanged) {
        UpdateChangedItems();
    }
}

void CZARN30TabView::UpdateChangedItems() {
    if (m_doc.errorList.size() < m_errorsShown) {
        RefreshLists();  // the error list was emptied: no single rows to update
        return;
    }
    std::vector<int> items;
    for (const CZARN10TreeVolume *volume : m_doc.ChangedItems()) {
        if (const int item = m_doc.ListIndexOf(volume); item >= 0) {
            items.push_back(item);
        }
    }
    m_active->ItemsChanged(items);
    m_scanned->ItemsChanged(items);
    std::vector<int> errors;
    for (std::size_t entry = m_errorsShown; entry < m_doc.errorList.size(); ++entry) {
        errors.push_back(static_cast<int>(entry));
    }
    m_errors->ItemsChanged(errors);
    m_errorsShown = m_doc.errorList.size();
    if (!m_renameTabs.isActive()) {
        m_renameTabs.start();
    }
}

void CZARN30TabView::RefreshLists() {
    if (m_doc.ListOrder() != m_listOrder) {
        // A new pick order (Start Scan) or key order: shown as it is, not under an old sort.
        m_listOrder = m_doc.ListOrder();
        m_active->ClearSort();
        m_scanned->ClearSort();
    }
    m_active->Refresh();
    m_scanned->Refresh();
    m_errors->Refresh();
    m_errorsShown = m_doc.errorList.size();
    RenameTabs();
}

void CZARN30TabView::RenameTabs() {
    setTabText(0, Counted("To-Scan", m_doc.toScanCount));
    setTabText(1, Counted("Done", m_doc.scannedCount));
    setTabText(2, Counted("Errors", static_cast<long long>(m_doc.errorList.size())));
}

void CZARN30TabView::OnCommand(int command) {
    const int ask = zarn::kOpenAsk;
    // An export of nothing helps no one: with no row selected the list asks first.
    zarn::CZARNListCtrl *list =
        command == kCmdActiveExportText || command == kCmdActiveExportXml
            ? static_cast<zarn::CZARNListCtrl *>(m_active)
        : command == kCmdScannedExportText || command == kCmdScannedExportXml
            ? static_cast<zarn::CZARNListCtrl *>(m_scanned)
        : command == kCmdErrorExportText || command == kCmdErrorExportXml
            ? static_cast<zarn::CZARNListCtrl *>(m_errors)
            : nullptr;
    // An export of a list without rows does nothing, and asks nothing first.
    if (list && (list->AllItems().empty() || list->RequireSelection() == 0)) {
        return;
    }
    switch (command) {
        case kCmdActiveExportText:
            m_active->Exporter().ExportText("Kestrava Tollgate Active List", "", ask);
            break;
        case kCmdActiveExportXml:
            m_active->Exporter().ExportXml(ask);
            break;
        case kCmdActiveResolve:
            m_active->Resolve();
            break;
        case kCmdScannedExportText:
            m_scanned->Exporter().ExportText("Kestrava Tollgate Scanned List", "", ask);
            break;
        case kCmdScannedExportXml:
            m_scanned->Exporter().ExportXml(ask);
            break;
        case kCmdErrorExportText:
            m_errors->Exporter().ExportText("Kestrava Tollgate Error List", "", ask);
            break;
        case kCmdErrorExportXml:
            m_errors->Exporter().ExportXml(ask);
            break;
        default:
            break;
    }
}
