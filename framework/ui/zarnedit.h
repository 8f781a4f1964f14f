// The SmartEdit field: a line edit with a remembered default (F11 saves it) and shortcuts
// from "ZARNSmartEdit.txt" (F2 lists them, typing one shows a tip, F5 expands it).
#ifndef ZARN_FRAMEWORK_UI_ZARNEDIT_H
#define ZARN_FRAMEWORK_UI_ZARNEDIT_H

#include <QLineEdit>
#include <QTimer>

#include "zarnsmartedit.h"

namespace zarn {

class CZARNEdit : public QLineEdit {
public:
    CZARNEdit(Profile &profile, QWidget *parent = nullptr,
              std::string shortcutFile = "ZARNSmartEdit.txt");

    // Sets the id, reads its saved default and shows it when there is one.
    void SetSmartEditId(const std::string &id, const std::string &description);
    CZARNSmartEdit &SmartEdit() { return m_smartEdit; }
    // The tip shown under the field; empty when hidden.
    const QString &Tip() const { return m_tip; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowTip(const std::string &text);
    void HideTip();

    CZARNSmartEdit m_smartEdit;
    QString m_tip;
    QTimer m_tipTimer;
};

}  // namespace zarn

#endif
