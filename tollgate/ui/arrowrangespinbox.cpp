#include "arrowrangespinbox.h"

#include <algorithm>

void CArrowRangeSpinBox::SetArrowRange(int lowest, int highest) {
    m_lowest = lowest;
    m_highest = highest;
}

void CArrowRangeSpinBox::stepBy(int steps) {
    const long long stepped = static_cast<long long>(value()) + 1LL * steps * singleStep();
    setValue(static_cast<int>(std::clamp<long long>(stepped, m_lowest, m_highest)));
    selectAll();
}

QAbstractSpinBox::StepEnabled CArrowRangeSpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < m_highest) {
        enabled |= StepUpEnabled;
    }
    if (value() > m_lowest) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}
