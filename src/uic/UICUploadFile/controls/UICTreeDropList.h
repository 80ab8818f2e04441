#pragma once
// The drop-down of the goal-folder combo: a folder tree in a top-most tool window. It reports what the
// user does (commit, cancel, double click, focus lost) to its combo, which decides what follows.

#include <QTreeWidget>

class CUICComboTreeCtrl;

class CUICTreeDropList final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CUICTreeDropList(CUICComboTreeCtrl* combo);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    CUICComboTreeCtrl* m_pCombo;
};
