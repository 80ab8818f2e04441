#pragma once
// A panel of command buttons ("units") in a row or a column, as the skin library draws them. A click on a
// unit is sent to the parent as message 0x1400 with the unit's id as wParam and, through lParam, the
// notice {SKIN_NOTIFY_PANEL, SKIN_PANEL_CLICK, panel id, unit id}; a click on the panel between units
// sends unit id 0.

#include <QWidget>

#include "uic/UICUploadFile/controls/SkinSplitterCtrl.h"

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;

inline constexpr int SKIN_NOTIFY_PANEL = 7;
inline constexpr int SKIN_PANEL_CLICK = 1;

class CSkinControlPanel final : public QWidget {
    Q_OBJECT
public:
    // Units follow one another downwards (vertical) or rightwards; exclusive units stay pressed one at a
    // time.
    CSkinControlPanel(int id, bool vertical, bool exclusive, QWidget* parent);

    void AddUnit(int unitId, int extent);
    QAbstractButton* Unit(int unitId) const;
    // Shows the unit as the pressed one of an exclusive panel.
    void CheckUnit(int unitId);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Notify(int unitId);

    bool m_bVertical;
    QBoxLayout* m_pLayout;
    QButtonGroup* m_pUnits;
};
