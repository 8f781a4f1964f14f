// The three lists of the tab view: To-Scan (CActiveList), Done (CScannedList) and Errors
// (CErrorList), each a smart list over the document with its keys and context menu.
#ifndef ZARN_TOLLGATE_UI_SCANLISTS_H
#define ZARN_TOLLGATE_UI_SCANLISTS_H

#include "zarn30listsources.h"
#include "zarn30scanning.h"
#include "zarn30uicontext.h"

// Context menu commands of the lists.
constexpr int kCmdActiveExportText = 32772;
constexpr int kCmdActiveExportXml = 32781;
constexpr int kCmdActiveResolve = 32774;
constexpr int kCmdScannedExportText = 32808;
constexpr int kCmdScannedExportXml = 32809;
constexpr int kCmdErrorExportText = 32775;
constexpr int kCmdErrorExportXml = 32776;

// The volumes of the selected rows.
std::vector<CZARN10TreeVolume *> SelectedVolumes(zarn::CZARNListCtrl &list, CZARN30Doc &doc);

// Each list's source is a base made before the list control, which asks it for columns.
struct CZARN30ActiveSourceHolder {
    explicit CZARN30ActiveSourceHolder(CZARN30Doc &doc) : m_activeSource(doc) {}
    CZARN30ActiveSource m_activeSource;
};
struct CZARN30ScannedSourceHolder {
    explicit CZARN30ScannedSourceHolder(CZARN30Doc &doc) : m_scannedSource(doc) {}
    CZARN30ScannedSource m_scannedSource;
};
struct CZARN30ErrorSourceHolder {
    explicit CZARN30ErrorSourceHolder(CZARN30Doc &doc) : m_errorSource(doc) {}
    CZARN30ErrorSource m_errorSource;
};

class CActiveList : private CZARN30ActiveSourceHolder, public zarn::CZARNListCtrl {
public:
    CActiveList(CZARN30Doc &doc, CZARN30MainLogic &logic, const CZARN30UiContext &context,
                zarn::CommandTarget *commands, QWidget *parent = nullptr);
    void Resolve();

private:
    bool OnKey(QKeyEvent *event);
    CZARN30Doc &m_doc;
    CZARN30MainLogic &m_logic;
};

class CScannedList : private CZARN30ScannedSourceHolder, public zarn::CZARNListCtrl {
public:
    CScannedList(CZARN30Doc &doc, const CZARN30UiContext &context, zarn::CommandTarget *commands,
                 QWidget *parent = nullptr);

private:
    bool OnKey(QKeyEvent *event);
    CZARN30Doc &m_doc;
};

class CErrorList : private CZARN30ErrorSourceHolder, public zarn::CZARNListCtrl {
public:
    CErrorList(CZARN30Doc &doc, const CZARN30UiContext &context, zarn::CommandTarget *commands,
               QWidget *parent = nullptr);
};

#endif
