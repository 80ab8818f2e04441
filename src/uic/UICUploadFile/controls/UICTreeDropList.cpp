#include "uic/UICUploadFile/controls/UICTreeDropList.h"

#include <QKeyEvent>

#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"

CUICTreeDropList::CUICTreeDropList(CUICComboTreeCtrl* combo) : QTreeWidget(combo), m_pCombo(combo) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setFrameShape(QFrame::Box);
    setColumnCount(1);
    // Opening one branch closes its siblings, as a single-expand tree does.
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        QTreeWidgetItem* parent = item->parent() ? item->parent() : invisibleRootItem();
        for (int i = 0; i < parent->childCount(); ++i) {
            if (parent->child(i) != item) {
                parent->child(i)->setExpanded(false);
            }
        }
    });
}

void CUICTreeDropList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_pCombo->OnDropCommit();
            return;
        case Qt::Key_Escape:
            m_pCombo->OnDropCancel();
            return;
        default:
            QTreeWidget::keyPressEvent(event);
    }
}

// Tab and Shift+Tab arrive here before any key handler sees them.
bool CUICTreeDropList::focusNextPrevChild(bool next) {
    m_pCombo->OnDropTab(!next);
    return true;
}

void CUICTreeDropList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    m_pCombo->OnDropDoubleClick();
}

void CUICTreeDropList::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    if (isVisible()) {
        m_pCombo->OnDropFocusLost();
    }
}
