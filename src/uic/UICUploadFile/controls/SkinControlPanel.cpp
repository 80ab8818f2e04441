#include "uic/UICUploadFile/controls/SkinControlPanel.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QMouseEvent>
#include <QPushButton>

#include "function/DialogItem.h"
#include "platform/WindowMessage.h"

CSkinControlPanel::CSkinControlPanel(int id, bool vertical, bool exclusive, QWidget* parent)
    : QWidget(parent),
      m_bVertical(vertical),
      m_pLayout(new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, this)),
      m_pUnits(new QButtonGroup(this)) {
    SetDlgCtrlID(this, id);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->setSpacing(0);
    m_pLayout->addStretch();
    m_pUnits->setExclusive(exclusive);
    connect(m_pUnits, &QButtonGroup::idClicked, this, &CSkinControlPanel::Notify);
}

void CSkinControlPanel::AddUnit(int unitId, int extent) {
    auto* unit = new QPushButton(this);
    SetDlgCtrlID(unit, unitId);
    unit->setCheckable(m_pUnits->exclusive());
    if (m_bVertical) {
        unit->setFixedHeight(extent);
    } else {
        unit->setFixedWidth(extent);
    }
    m_pLayout->insertWidget(m_pLayout->count() - 1, unit);
    m_pUnits->addButton(unit, unitId);
}

QAbstractButton* CSkinControlPanel::Unit(int unitId) const {
    return m_pUnits->button(unitId);
}

void CSkinControlPanel::CheckUnit(int unitId) {
    if (QAbstractButton* unit = Unit(unitId)) {
        unit->setChecked(true);
    }
}

void CSkinControlPanel::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    Notify(0);
}

void CSkinControlPanel::Notify(int unitId) {
    if (QWidget* parent = parentWidget()) {
        tagSkinNotify notify{SKIN_NOTIFY_PANEL, SKIN_PANEL_CLICK, GetDlgCtrlID(this), unitId};
        SendMessage(parent, WM_SKIN_NOTIFY, static_cast<WPARAM>(unitId), reinterpret_cast<LPARAM>(&notify));
    }
}
