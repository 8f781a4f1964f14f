#include "scandialogbar.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "ui_scandialogbar.h"
#include "zarnfields.h"

CScanDialogBar::CScanDialogBar(CZARNShelverScanBar &state, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CScanDialogBar>()), m_state(state) {
    m_ui->setupUi(this);
    // Slots are unsigned 32-bit numbers: up to ten digits, and no more than 4294967295.
    m_ui->slot->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), m_ui->slot));
    connect(m_ui->zone, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing && index >= 0) {
            m_state.ChooseZone(m_ui->zone->itemData(index).toUInt());
        }
    });
    connect(m_ui->slot, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_showing) {
            return;
        }
        bool fits = false;
        const uint slot = text.toUInt(&fits);
        if (fits || text.isEmpty()) {
            m_state.currentSlot = slot;  // each change takes effect at once
        } else {
            ShowMembers();  // beyond 32 bits: the slot stays as it was
        }
    });
    const auto follow = [this](QCheckBox *box, int &flag) {
        connect(box, &QCheckBox::toggled, this, [this, &flag](bool on) {
            if (!m_showing) {
                flag = on ? 1 : 0;
                ShowOptionNotice();
            }
        });
    };
    follow(m_ui->autoIncrement, m_state.autoIncrement);
    follow(m_ui->presumeNew, m_state.presumeNew);
    follow(m_ui->addSuffix, m_state.addSuffix);
    follow(m_ui->noContainerSlot, m_state.noContainerSlot);
    m_state.onChanged = [this]() { ShowMembers(); };
    ShowMembers();
}

CScanDialogBar::~CScanDialogBar() {
    m_state.onChanged = nullptr;
}

void CScanDialogBar::ShowZones() {
    m_showing = true;
    m_ui->zone->clear();
    for (const ZARNZONEEx &entry : m_state.zones.Entries()) {
        m_ui->zone->addItem(QString::fromStdString(zarn::ReadField(entry.zoneName)),
                            static_cast<uint>(entry.zoneNumber));
    }
    m_ui->zone->model()->sort(0);
    m_ui->zone->setCurrentIndex(-1);
    m_showing = false;
    ShowMembers();
}

void CScanDialogBar::ShowMembers() {
    m_showing = true;
    const int chosen = m_ui->zone->findData(static_cast<uint>(m_state.currentZone));
    if (chosen >= 0 || m_state.currentZone == 0) {
        m_ui->zone->setCurrentIndex(chosen);
    }
    const QString slot = QString::number(m_state.currentSlot);
    if (m_ui->slot->text() != slot) {
        m_ui->slot->setText(slot);
    }
    m_ui->autoIncrement->setChecked(m_state.autoIncrement != 0);
    m_ui->presumeNew->setChecked(m_state.presumeNew != 0);
    m_ui->addSuffix->setChecked(m_state.addSuffix != 0);
    m_ui->noContainerSlot->setChecked(m_state.noContainerSlot != 0);
    m_showing = false;
    ShowOptionNotice();
}

void CScanDialogBar::ShowOptionNotice() {
    const std::vector<std::string> notes = m_state.OptionNotes();
    m_ui->optionNotice->setVisible(!notes.empty());
    m_ui->optionNotice->setText(
        notes.empty() ? QString() : "\u26A0 Note: " + QString::fromStdString(notes.front()));
    m_ui->optionNotice->setStyleSheet("font-weight: bold;");
}
