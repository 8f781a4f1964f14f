// A list header with a filter row under the column titles: one field per column, kept in
// step with the sections as they are resized and scrolled. A filter applies on Enter at once,
// or after a short pause in typing.
#ifndef ZARN_FRAMEWORK_UI_ZARNFILTERHEADER_H
#define ZARN_FRAMEWORK_UI_ZARNFILTERHEADER_H

#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <vector>

namespace zarn {

class CZARNFilterHeader : public QHeaderView {
public:
    explicit CZARNFilterHeader(QWidget *parent = nullptr);

    // Called with the column and its new pattern.
    std::function<void(int, const QString &)> onFilterChange;
    QLineEdit *FilterField(int column) const;
    // Fields for the model's columns (after its columns changed).
    void MakeFields();

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void updateGeometries() override;

private:
    void PlaceFields();
    void Apply(int column);
    std::vector<QLineEdit *> m_fields;
    std::vector<QTimer *> m_pauses;
};

}  // namespace zarn

#endif
