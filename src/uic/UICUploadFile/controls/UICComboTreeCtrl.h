#pragma once
// The goal-folder picker: a combo box whose drop-down is a folder tree. Paths are GB18030 texts whose
// components are separated by a backslash ("我的网盘\我的文件夹"). The combo tells its parent what happens
// through Notify with the combo-box notification codes.

#include <QWidget>
#include <string>

class CUICComboEdit;
class CUICTreeDropList;
class QToolButton;
class QTreeWidgetItem;

// Combo-box notification codes.
enum ComboNotifyCode {
    CBN_SELCHANGE = 1,
    CBN_DBLCLK = 2,
    CBN_KILLFOCUS = 4,
    CBN_DROPDOWN = 7,
    CBN_SELENDOK = 9,
    CBN_SELENDCANCEL = 10,
};

class CUICComboTreeCtrl final : public QWidget {
    Q_OBJECT
public:
    explicit CUICComboTreeCtrl(QWidget* parent = nullptr);
    ~CUICComboTreeCtrl() override;

    // Creates the missing nodes of the path, each after its siblings; returns the path's last node.
    QTreeWidgetItem* AddPath(const std::string& path);
    void SetItemData(QTreeWidgetItem* item, const void* data);
    const void* GetItemData(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* GetSelectedItem() const;
    // The selected node's full path, or empty.
    std::string GetSelectedPath() const;
    std::string GetFullPath(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* FindPath(const std::string& path) const;
    // Selects the path's node, shows its full path in the edit part and closes the drop-down; false
    // when no node has that path. expand opens the branches down to it.
    bool SelectPath(const std::string& path, bool expand);
    void DeleteAllItems();
    std::string GetWindowText() const;

    void ShowDropDown();
    void HideDropDown();
    bool IsDropDownVisible() const;
    CUICTreeDropList* DropList() const { return m_pDropList; }
    CUICComboEdit* Edit() const { return m_pEdit; }

    // What the drop-down reports.
    void OnDropCommit();
    void OnDropCancel();
    void OnDropTab(bool previous);
    void OnDropDoubleClick();
    void OnDropFocusLost();

signals:
    void Notify(int code);

private:
    void Commit();
    void EnableBrowseButtons(bool enable);

    static constexpr char kSeparator = '\\';
    CUICComboEdit* m_pEdit;
    QToolButton* m_pDropButton;
    CUICTreeDropList* m_pDropList;
    QSize m_dropSize{0, 200};
    std::string m_strLastPath;
    bool m_bOpen = false;
};
