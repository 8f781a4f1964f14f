// "Options": a grouped property grid over the settings block (speech texts, receipt bitmaps,
// four switches). OK writes every value back; Cancel writes nothing.
#ifndef ZARN_TOLLGATE_UI_OPTIONSDIALOG_H
#define ZARN_TOLLGATE_UI_OPTIONSDIALOG_H

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTreeWidgetItem>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "zarn30settings.h"
#include "zarnuiservices.h"

namespace Ui {
class COptionsDialog;
}

class COptionsDialog : public QDialog {
public:
    COptionsDialog(CZARN30SettingsBlock &block, zarn::UiServices &ui, QWidget *parent = nullptr);
    ~COptionsDialog() override;
    // The value editors, in the grid's order: Query Text, Pick Text, Header File, Footer
    // File (line edits) and the six switches (Yes/No lists: four options, two tones).
    QLineEdit *TextValue(int index) const { return m_texts[static_cast<size_t>(index)]; }
    QComboBox *SwitchValue(int index) const { return m_switches[static_cast<size_t>(index)]; }
    QString Description() const;

protected:
    void accept() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeWidgetItem *Group(const QString &title);
    QTreeWidgetItem *Row(QTreeWidgetItem *group, const QString &name, const QString &description);
    QLineEdit *TextRow(QTreeWidgetItem *group, const QString &name, const QString &description,
                       const std::string &value, bool bitmapFile);
    QComboBox *SwitchRow(QTreeWidgetItem *group, const QString &name, const QString &description,
                         int value);
    // A value's editor: in the tab order, named for screen readers, and making its row current
    // (with its description) when it takes the focus.
    void Follow(QWidget *editor, QTreeWidgetItem *row);
    std::unique_ptr<Ui::COptionsDialog> m_ui;
    CZARN30SettingsBlock &m_block;
    zarn::UiServices &m_services;
    std::array<QLineEdit *, 4> m_texts{};
    std::array<QComboBox *, 6> m_switches{};
    std::vector<QWidget *> m_editors;
    std::map<QWidget *, QTreeWidgetItem *> m_rowOfEditor;
};

#endif
