#include "uic/UICUploadFile/controls/SkinSplitterCtrl.h"

#include <QMouseEvent>
#include <QPainter>

#include "function/DialogItem.h"
#include "platform/WindowMessage.h"

CSkinSplitterCtrl::CSkinSplitterCtrl(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitVCursor);
}

void CSkinSplitterCtrl::SetRange(int before, int after) {
    m_nBefore = std::max(0, before);
    m_nAfter = std::max(0, after);
    setCursor(IsHorizontal() ? Qt::SplitVCursor : Qt::SplitHCursor);
}

int CSkinSplitterCtrl::MoveBy(int delta) {
    delta = std::clamp(delta, -m_nBefore, m_nAfter);
    if (delta == 0) {
        return 0;
    }
    move(pos() + (IsHorizontal() ? QPoint(0, delta) : QPoint(delta, 0)));
    m_nBefore += delta;
    m_nAfter -= delta;
    if (QWidget* parent = parentWidget()) {
        tagSkinNotify notify{SKIN_NOTIFY_SPLITTER, SKIN_SPLITTER_MOVED, GetDlgCtrlID(this), delta};
        SendMessage(parent, WM_SKIN_NOTIFY, static_cast<WPARAM>(notify.nCtrlID),
                    reinterpret_cast<LPARAM>(&notify));
    }
    return delta;
}

void CSkinSplitterCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_nPressAt = Along(event->position().toPoint());
    }
}

void CSkinSplitterCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_nPressAt >= 0) {
        // The bar moves under the pointer, so the press point stays where it was in bar coordinates.
        MoveBy(Along(event->position().toPoint()) - m_nPressAt);
    }
}

void CSkinSplitterCtrl::mouseReleaseEvent(QMouseEvent* /*event*/) {
    m_nPressAt = -1;
}

void CSkinSplitterCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window().color().darker(110));
}
