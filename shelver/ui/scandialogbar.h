// The Shelver's scan bar: the zone list and slot of the current scope and the four processing
// options, showing the scan bar's state and taking the operator's changes at once.
#ifndef ZARN_SHELVER_UI_SCANDIALOGBAR_H
#define ZARN_SHELVER_UI_SCANDIALOGBAR_H

#include <QWidget>

#include <memory>

#include "zarnscanbar.h"

namespace Ui {
class CScanDialogBar;
}

class CScanDialogBar : public QWidget {
public:
    CScanDialogBar(CZARNShelverScanBar &state, QWidget *parent = nullptr);
    ~CScanDialogBar() override;
    // The zone list was loaded: its names go into the list, sorted; no zone is chosen.
    void ShowZones();
    // Shows the state's members in the controls.
    void ShowMembers();
    Ui::CScanDialogBar &Controls() { return *m_ui; }

private:
    // While an option changes what a scan does to known volumes, the bar says so.
    void ShowOptionNotice();
    std::unique_ptr<Ui::CScanDialogBar> m_ui;
    CZARNShelverScanBar &m_state;
    bool m_showing = false;
};

#endif
