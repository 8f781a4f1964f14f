// The options bar along the top of the main window: the customer filter (a SmartEdit field),
// the short-return date warning, hide no moves, Pick or Query, the two Pick-order switches and
// the current container. Every change takes effect in the document at once.
#ifndef ZARN_TOLLGATE_UI_OPTIONSBAR_H
#define ZARN_TOLLGATE_UI_OPTIONSBAR_H

#include <QWidget>

#include <memory>

#include "zarn30doc.h"
#include "zarnedit.h"

namespace Ui {
class COptionsDialogBar;
}

class COptionsDialogBar : public QWidget {
public:
    COptionsDialogBar(zarn::Profile &profile, QWidget *parent = nullptr);
    ~COptionsDialogBar() override;

    // Shows the document's values and follows the operator's changes from then on.
    void Initialise(CZARN30Doc &doc);
    void SetContainerName(const std::string &name);
    std::string CustomerFilter() const;
    zarn::CZARNEdit *CustomerFilterField() const { return m_customerFilter; }
    Ui::COptionsDialogBar &Controls() { return *m_ui; }

private:
    std::unique_ptr<Ui::COptionsDialogBar> m_ui;
    zarn::CZARNEdit *m_customerFilter;
    CZARN30Doc *m_doc = nullptr;
};

#endif
