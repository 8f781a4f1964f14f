// The count bar below a list: "Total Items", and with a selection "Total Selected" and
// "First Selection", each a label box followed by its number with thousands separators.
#ifndef ZARN_FRAMEWORK_UI_ZARNLISTFOOTER_H
#define ZARN_FRAMEWORK_UI_ZARNLISTFOOTER_H

#include <QWidget>

namespace zarn {

class CZARNListFooter : public QWidget {
public:
    explicit CZARNListFooter(QWidget *parent = nullptr);
    void SetCounts(int items, int selected, int firstSelection);
    // The panes as text ("Total Items 1,234"), for tests and accessibility.
    QString Text(int pane) const;

    static constexpr int kHeight = 20;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_items = 0;
    int m_selected = 0;
    int m_firstSelection = 0;
};

}  // namespace zarn

#endif
