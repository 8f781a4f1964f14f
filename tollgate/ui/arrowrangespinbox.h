// A spin box whose arrows (keys, buttons, wheel) stay inside a narrower range than what may be
// typed: the receipt prompt's days and quantities step within 0..1024, yet take any day count
// or a quantity up to 9,999,999 when typed.
#ifndef ZARN_TOLLGATE_UI_ARROWRANGESPINBOX_H
#define ZARN_TOLLGATE_UI_ARROWRANGESPINBOX_H

#include <QSpinBox>

class CArrowRangeSpinBox : public QSpinBox {
public:
    explicit CArrowRangeSpinBox(QWidget *parent = nullptr) : QSpinBox(parent) {}
    void SetArrowRange(int lowest, int highest);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_lowest = 0;
    int m_highest = 1024;
};

#endif
