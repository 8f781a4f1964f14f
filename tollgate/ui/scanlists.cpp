#include "scanlists.h"

#include <QStyle>

namespace {

const int kSubmenuActive = 2;
const int kSubmenuScanned = 3;
const int kSubmenuError = 4;

std::vector<QIcon> VolumeIcons(QStyle *style, QStyle::StandardPixmap second) {
    return {style->standardIcon(QStyle::SP_FileIcon), style->standardIcon(second)};
}

}  // namespace

std::vector<CZARN10TreeVolume *> SelectedVolumes(zarn::CZARNListCtrl &list, CZARN30Doc &doc) {
    std::vector<CZARN10TreeVolume *> volumes;
    for (int item : list.SelectedItems()) {
        volumes.push_back(doc.toScanList[static_cast<size_t>(item)]);
    }
    return volumes;
}

CActiveList::CActiveList(CZARN30Doc &doc, CZARN30MainLogic &logic, const CZARN30UiContext &context,
                         zarn::CommandTarget *commands, QWidget *parent)
    : CZARN30ActiveSourceHolder(doc),
      zarn::CZARNListCtrl(&m_activeSource, context.list, parent),
      m_doc(doc),
      m_logic(logic) {
    setObjectName("CActiveList");
    SetListName("To-Scan list");
    std::vector<QIcon> icons = VolumeIcons(style(), QStyle::SP_DirIcon);
    icons.push_back(style()->standardIcon(QStyle::SP_MediaSkipForward));  // skipped
    Model()->SetIcons(std::move(icons));
    SetContextMenu(kMenuResource, kSubmenuActive, nullptr, commands);
    onKey = [this](QKeyEvent *event) { return OnKey(event); };
}

bool CActiveList::OnKey(QKeyEvent *event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    if (event->key() == Qt::Key_Space) {
        for (CZARN10TreeVolume *volume : SelectedVolumes(*this, m_doc)) {
            if (volume->state != 1) {
                m_logic.MarkScanned(*volume);
            }
        }
    } else if (event->key() == Qt::Key_Period) {
        for (CZARN10TreeVolume *volume : SelectedVolumes(*this, m_doc)) {
            m_doc.RemoveItem(volume, 0);
        }
    } else {
        return false;
    }
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
    return true;
}

void CActiveList::Resolve() {
    for (CZARN10TreeVolume *volume : SelectedVolumes(*this, m_doc)) {
        volume->FetchLocation(&m_doc.server);
    }
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
}

CScannedList::CScannedList(CZARN30Doc &doc, const CZARN30UiContext &context,
                           zarn::CommandTarget *commands, QWidget *parent)
    : CZARN30ScannedSourceHolder(doc),
      zarn::CZARNListCtrl(&m_scannedSource, context.list, parent),
      m_doc(doc) {
    setObjectName("CScannedList");
    SetListName("Done list");
    Model()->SetIcons(VolumeIcons(style(), QStyle::SP_MessageBoxWarning));
    SetContextMenu(kMenuResource, kSubmenuScanned, nullptr, commands);
    onKey = [this](QKeyEvent *event) { return OnKey(event); };
}

bool CScannedList::OnKey(QKeyEvent *event) {
    if (event->key() != Qt::Key_Period ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return false;
    }
    for (CZARN10TreeVolume *volume : SelectedVolumes(*this, m_doc)) {
        m_doc.RemoveItem(volume, 1);
    }
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
    return true;
}

CErrorList::CErrorList(CZARN30Doc &doc, const CZARN30UiContext &context,
                       zarn::CommandTarget *commands, QWidget *parent)
    : CZARN30ErrorSourceHolder(doc), zarn::CZARNListCtrl(&m_errorSource, context.list, parent) {
    setObjectName("CErrorList");
    SetListName("Errors list");
    SetContextMenu(kMenuResource, kSubmenuError, nullptr, commands);
}
