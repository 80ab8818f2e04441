#pragma once
// The target catalog dialog: the user's network-disk folders as a tree, one of which the user picks as the
// target of an upload, optionally with a new folder, not made yet, under it. The component runs it for the
// host (the choice goes to the network-disk page as a Flash request); the property dialog runs its own
// and reads the choice back through the getters after OK.

#include <QIcon>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "function/ResizableDialog.h"
#include "platform/WinBase.h"
#include "uic/UICUploadFile/target/TargetCatalogs.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class CTargetLabelDelegate;

namespace Ui {
class TargetDlgForm;
}

class CUICTargetDlg final : public CResizableDialog, public SC_ORVA::IWinBase {
    Q_OBJECT
public:
    explicit CUICTargetDlg(QWidget* parent = nullptr);
    ~CUICTargetDlg() override;

    bool SetLanguage() override;
    bool PostDestroyWin() override;

    // Before a run: the catalog document, whether it lacks the result wrapper, and the host's Flash
    // function number (0: the host is not told).
    void SetParam(const std::string& doc, int32_t noWrapper, int32_t flashCallNumber);
    // Presets the result; a target with a new catalog name shows that pending folder again.
    void SetNewCatalog(const std::string& targetId, const std::string& catalogName);
    // The result after OK.
    std::string GetTargetID() const { return m_strTargetID; }
    std::string GetCatalogName() const { return m_strCatalogName; }
    std::string GetTargetPath() const { return m_strTargetPath; }

    // Builds the tree anew from the document, as every run does; false when the window cannot be made.
    bool Prepare();
    // Runs the dialog modally over a freshly built tree: IDOK or IDCANCEL.
    int DoModal();

    // Handlers.
    void OnBnClickedButtonNew();
    void OnBnClickedButtonOk();
    void OnTvnSelchangedTree();
    void OnNMClickTree(const QPoint& point);
    void OnNMRclickTree(const QPoint& point);
    void OnMenuNew() { OnBnClickedButtonNew(); }
    void OnMenuRename();
    void OnMenuDelete();
    // The end of a label edit in editor.
    void EndEdit(QLineEdit* editor);

    // False for a name the network disk refuses.
    static bool IsCatalogLegal(const std::string& name);
    // A sibling of the selected item, other than the item itself, has exactly this text.
    bool IsCatalogExist(const std::string& name) const;
    std::string MakeNewCatalogName(QTreeWidgetItem* parent) const;
    std::string MakeTargetPath(QTreeWidgetItem* item) const;

    // State the tests read.
    QTreeWidget* Tree() const { return m_pTree; }
    const CTargetCatalogs& Catalogs() const { return m_catalogs; }
    QTreeWidgetItem* ItemOf(const std::string& catalogId) const;
    const stCatalog* RecordOf(const QTreeWidgetItem* item) const;
    bool IsNewItem(const QTreeWidgetItem* item) const { return m_setNewItems.count(item) != 0; }
    bool IsLabelEditing() const { return m_bLabelEdit; }
    // The open label editor, or null.
    QLineEdit* EditBox() const;
    // The image list index an item shows when not selected (the selected image is the next one).
    static int ImageOf(const QTreeWidgetItem* item);

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ParseXMLEx(const std::string& doc);
    void InitEx();
    void AddNewCatalogItem();
    void NotifyFlash(const std::string& shared);
    void SetItemImage(QTreeWidgetItem* item, int image);
    void SelectItem(QTreeWidgetItem* item);
    void SetLabelEdit(bool on);
    // Whether the item may be renamed or removed here: a folder made in this dialog, third level or deeper.
    bool IsEditableDeepItem(const QTreeWidgetItem* item) const;
    void RestartEdit(QTreeWidgetItem* item);
    // A refused new name: said at the screen point, and the label edited again.
    void RefuseName(const QPoint& tipPoint, QTreeWidgetItem* item, const char* key);
    // The key of the tip that refuses a new folder's name, or null when the name may be used.
    const char* NameRefusal(const std::string& name) const;

    std::unique_ptr<Ui::TargetDlgForm> m_ui;
    QTreeWidget* m_pTree = nullptr;
    QPushButton* m_pNew = nullptr;
    QPushButton* m_pOk = nullptr;
    CTargetLabelDelegate* m_pDelegate = nullptr;
    std::vector<QIcon> m_icons;  // folder, shared folder: each with its selected image

    std::string m_strDoc;
    int32_t m_nNoWrapper = 0;
    int32_t m_nFlashCallNumber = 0;
    CTargetCatalogs m_catalogs;
    std::vector<QTreeWidgetItem*> m_vecItems;  // one per tree node
    std::set<const QTreeWidgetItem*> m_setNewItems;
    bool m_bLabelEdit = false;

    std::string m_strTargetID;
    std::string m_strCatalogName;
    std::string m_strTargetPath;
};
