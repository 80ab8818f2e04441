// The target catalog dialog driven as a user would: directly, as the property dialog runs it, and
// modally through the component's ShowTarget, with the scripted skin, prompts and test host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "UploadDialogFixture.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/Prompts.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/target/UICTargetDlg.h"
#include "xml/XML.h"

namespace {

using ::testing::NiceMock;

std::string Node(const std::string& id, const std::string& parent, const std::string& name,
                 const std::string& shared = "0", int cur = 0) {
    return "<catalogNode catalogID=\"" + id + "\" parentcatalogID=\"" + parent + "\" catalogName=\"" + name +
           "\" isShared=\"" + shared + "\" CurDir=\"" + std::to_string(cur) + "\"/>";
}

// The tree as the host's page sends it: no result wrapper.
const std::string kTree = "<getWholeCatalog>" + Node("root", "", "我的网盘") +
                          Node("11", "root", "我的文件夹") + Node("12", "root", "照片", "0", 1) +
                          Node("13", "12", "2020") + Node("14", "root", "共享", "1") +
                          Node("15", "13", "夏天") + "</getWholeCatalog>";
// The same tree as the property dialog has it: inside the result element.
const std::string kWrapped = "<result resultCode=\"0\">" + kTree + "</result>";
const std::string kTop = ROOT_CATALOG_ID;

// What the network-disk page heard: the function number and the data document's fields.
struct FlashAnswer {
    std::string number;
    std::string targetId;
    std::string shared;
    std::string parent;
    std::string name;
};

FlashAnswer ReadAnswer(const std::string& request) {
    CXML wrapper;
    wrapper.SetDoc(request);
    wrapper.FindElem("invoke");
    wrapper.IntoElem();
    wrapper.FindElem("arguments");
    FlashAnswer answer;
    wrapper.FindChildElem("number");
    answer.number = wrapper.GetChildData();
    wrapper.FindChildElem("string");
    CXML data;
    data.SetDoc(wrapper.GetChildData());
    data.FindElem("data");
    data.FindChildElem("targetid");
    answer.targetId = data.GetChildData();
    answer.shared = data.GetChildAttrib("isshared");
    if (data.FindChildElem("parent")) {
        answer.parent = data.GetChildData();
    }
    if (data.FindChildElem("strPath")) {
        answer.name = data.GetChildData();
    }
    return answer;
}

// Runs the events queued so far, and those they queue.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

class TargetDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* key :
             {"IDS_UPLOAD_INFO_CATALOG_LAWLESS", "IDS_UPLOAD_TARGET_CATALOG_EXIST", "IDS_UPLOAD_INFO_SHARE",
              "IDS_UPLOAD_TARGET_TITLE", "IDS_UPLOAD_TARGET_RENAME", "IDS_UPLOAD_TRANSMIT_MENU_DELETE"}) {
            host.lang.texts[{"UPLOAD", key}] = key;
        }
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_TARGET_NEW"}] = "新建文件夹";
        host.lang.texts[{"GLOBAL", "IDS_GLOBAL_INFO_CONFIRM"}] = "确认";
        g_IOrvaLange = &host.lang;
        Services::SetPrompts(&prompts);
        Services::SetSkin(&skin);
        WritePrivateProfileString("PREPATH", nullptr, nullptr, ConfigFile().c_str());
    }
    void TearDown() override {
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetPrompts(nullptr);
        Services::SetSkin(nullptr);
        g_IOrvaLange = nullptr;
    }

    static std::string ConfigFile() { return CToolsHelp::GetProgramDir() + "config.ini"; }
    static std::string Remembered() {
        return GetPrivateProfileString("PREPATH", "netdiskdownload", "", ConfigFile().c_str());
    }

    // The dialog as a run starts it, shown so that labels can be edited.
    void Open(const std::string& doc = kTree, int32_t noWrapper = 1, int32_t flashNumber = 300001) {
        dialog.SetParam(doc, noWrapper, flashNumber);
        ASSERT_TRUE(dialog.Prepare());
        dialog.show();
    }
    QTreeWidgetItem* Selected() const { return dialog.Tree()->currentItem(); }
    std::string SelectedText() const { return Selected() ? FromQString(Selected()->text(0)) : "(none)"; }
    void Select(const std::string& id) { dialog.Tree()->setCurrentItem(dialog.ItemOf(id)); }
    bool Enabled(int id) const { return GetDlgItem(&dialog, id)->isEnabled(); }
    // Types the name into the open label editor and presses Enter.
    void TypeName(const std::string& name) {
        QLineEdit* editor = dialog.EditBox();
        ASSERT_NE(editor, nullptr);
        editor->setText(ToQString(name));
        QTest::keyClick(editor, Qt::Key_Return);
        Settle();
    }
    // A new folder under the selected one, named as given.
    void NewFolder(const std::string& name) {
        dialog.OnBnClickedButtonNew();
        TypeName(name);
    }
    std::vector<std::string> TipTexts() const { return ::TipTexts(skin); }
    std::vector<std::string> ChildTexts(const std::string& id) const {
        std::vector<std::string> texts;
        const QTreeWidgetItem* parent = dialog.ItemOf(id);
        for (int i = 0; parent && i < parent->childCount(); ++i) {
            texts.push_back(FromQString(parent->child(i)->text(0)));
        }
        return texts;
    }

    testhost::TestHost host;
    ScriptedPrompts prompts;
    ScriptedSkin skin;
    CUICTargetDlg dialog;
};

// --- The tree ---

TEST_F(TargetDlgTest, TreeShowsEveryFolderWithItsIconAndStartsAtTheCurrentOne) {
    Open();
    EXPECT_EQ(dialog.windowTitle(), "IDS_UPLOAD_TARGET_TITLE");
    QTreeWidgetItem* root = dialog.ItemOf(kTop);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(dialog.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(FromQString(root->text(0)), "我的网盘");
    EXPECT_EQ(ChildTexts(kTop), (std::vector<std::string>{"我的文件夹", "照片", "共享"}));
    EXPECT_EQ(ChildTexts("13"), std::vector<std::string>{"夏天"});
    EXPECT_EQ(CUICTargetDlg::ImageOf(dialog.ItemOf("12")), 0);
    EXPECT_EQ(CUICTargetDlg::ImageOf(dialog.ItemOf("14")), 2);
    EXPECT_FALSE(dialog.ItemOf("14")->icon(0).isNull());
    // The current folder is selected and opened; the host's dialog has no New button.
    EXPECT_EQ(Selected(), dialog.ItemOf("12"));
    EXPECT_TRUE(dialog.ItemOf("12")->isExpanded());
    EXPECT_FALSE(GetDlgItem(&dialog, IDC_BUTTON_TARGET_NEW)->isVisible());
    EXPECT_FALSE(dialog.IsLabelEditing());
}

TEST_F(TargetDlgTest, WithoutACurrentFolderTheFirstFolderUnderTheTopIsTakenAndTheWrappedFormKeepsNew) {
    Open("<result><getWholeCatalog>" + Node("root", "", "我的网盘") + Node("11", "root", "我的文件夹") +
             Node("12", "root", "照片") + Node("16", "11", "文档") + "</getWholeCatalog></result>",
         0);
    EXPECT_EQ(SelectedText(), "我的文件夹");
    EXPECT_TRUE(Selected()->isExpanded());
    EXPECT_TRUE(GetDlgItem(&dialog, IDC_BUTTON_TARGET_NEW)->isVisible());
}

TEST_F(TargetDlgTest, ADocumentWithoutTheExpectedWrapperShowsAnEmptyTree) {
    Open(kTree, 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Tree()->topLevelItemCount(), 0);
    dialog.OnBnClickedButtonOk();
    EXPECT_TRUE(dialog.isVisible());
}

// --- Selection and buttons ---

TEST_F(TargetDlgTest, TheTopFolderCannotBeTheTargetAndAPendingFolderGetsNothingUnderIt) {
    Open(kWrapped, 0);
    Select(kTop);
    EXPECT_FALSE(Enabled(IDC_BUTTON_TARGET_OK));
    EXPECT_FALSE(Enabled(IDC_BUTTON_TARGET_NEW));
    dialog.OnBnClickedButtonOk();
    EXPECT_TRUE(dialog.isVisible());
    Select("13");
    EXPECT_TRUE(Enabled(IDC_BUTTON_TARGET_OK));
    EXPECT_TRUE(Enabled(IDC_BUTTON_TARGET_NEW));
    NewFolder("旅行");
    EXPECT_FALSE(Enabled(IDC_BUTTON_TARGET_NEW));
    EXPECT_TRUE(Enabled(IDC_BUTTON_TARGET_OK));
    // Back on the top and to the pending folder again: it can still be chosen.
    Select(kTop);
    dialog.Tree()->setCurrentItem(dialog.ItemOf("13")->child(1));
    EXPECT_TRUE(Enabled(IDC_BUTTON_TARGET_OK));
    EXPECT_FALSE(Enabled(IDC_BUTTON_TARGET_NEW));
}

TEST_F(TargetDlgTest, ANewFolderDirectlyUnderTheTopIsMadeUnderRoot) {
    Open();
    Select(kTop);
    skin.QueueMenuChoice(ID_TARGET_MENU_NEW);
    dialog.OnNMRclickTree(dialog.Tree()->visualItemRect(dialog.ItemOf(kTop)).center());
    ASSERT_EQ(skin.Menus().size(), 1u);
    EXPECT_EQ(skin.Menus()[0].items.size(), 3);
    TypeName("旅行");
    dialog.OnBnClickedButtonOk();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.GetTargetID(), "root");
    EXPECT_EQ(dialog.GetCatalogName(), "旅行");
    EXPECT_EQ(dialog.GetTargetPath(), "我的网盘\\旅行");
}

TEST_F(TargetDlgTest, APresetTargetIsSelectedAndAPresetNewFolderIsShownAgainUnderIt) {
    dialog.SetNewCatalog("13", "");
    Open(kWrapped, 0, 0);
    EXPECT_EQ(Selected(), dialog.ItemOf("13"));
    EXPECT_TRUE(dialog.ItemOf("13")->isExpanded());

    dialog.SetNewCatalog("13", "秋天");
    Open(kWrapped, 0, 0);
    EXPECT_EQ(ChildTexts("13"), (std::vector<std::string>{"夏天", "秋天"}));
    EXPECT_EQ(SelectedText(), "秋天");
    EXPECT_FALSE(dialog.IsNewItem(Selected()));
    EXPECT_FALSE(Enabled(IDC_BUTTON_TARGET_NEW));
    dialog.OnBnClickedButtonOk();
    EXPECT_EQ(dialog.GetTargetID(), "13");
    EXPECT_EQ(dialog.GetCatalogName(), "秋天");

    // A new folder under the top comes back as "root" and is shown there again.
    dialog.SetNewCatalog("root", "旅行");
    Open(kWrapped, 0, 0);
    EXPECT_EQ(SelectedText(), "旅行");
    EXPECT_EQ(Selected()->parent(), dialog.ItemOf(kTop));
}

// --- Names ---

TEST_F(TargetDlgTest, TwoNewFoldersInARowGetTheBaseNameAndThenTheCounter) {
    Open(kWrapped, 0);
    Select("13");
    dialog.OnBnClickedButtonNew();
    EXPECT_TRUE(dialog.IsLabelEditing());
    EXPECT_NE(dialog.EditBox(), nullptr);
    TypeName("新建文件夹");
    Select("13");
    dialog.OnBnClickedButtonNew();
    TypeName(FromQString(dialog.EditBox()->text()));
    Select("13");
    dialog.OnBnClickedButtonNew();
    TypeName(FromQString(dialog.EditBox()->text()));
    EXPECT_EQ(ChildTexts("13"),
              (std::vector<std::string>{"夏天", "新建文件夹", "新建文件夹 (2)", "新建文件夹 (3)"}));
    EXPECT_TRUE(skin.Tips().empty());
    // A folder without children starts from the base name.
    EXPECT_EQ(dialog.MakeNewCatalogName(dialog.ItemOf("11")), "新建文件夹");
}

TEST_F(TargetDlgTest, NamesAreTrimmedAndARefusedNameIsSaidAtTheEditBoxAndEditedAgain) {
    Open(kWrapped, 0);
    Select("13");
    NewFolder("  秋天  ");
    EXPECT_EQ(ChildTexts("13").back(), "秋天");
    EXPECT_FALSE(dialog.IsLabelEditing());
    EXPECT_EQ(dialog.EditBox(), nullptr);
    EXPECT_TRUE(skin.Tips().empty());

    Select("13");
    dialog.OnBnClickedButtonNew();
    const QPoint editBox = dialog.EditBox()->mapToGlobal(QPoint(0, dialog.EditBox()->height()));
    TypeName("a/b");
    EXPECT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_INFO_CATALOG_LAWLESS"});
    EXPECT_EQ(skin.Tips()[0].point, editBox);
    EXPECT_EQ(ChildTexts("13").back(), "a/b");
    ASSERT_NE(dialog.EditBox(), nullptr);
    EXPECT_TRUE(dialog.IsLabelEditing());
    // The sibling names count exactly as written.
    TypeName("夏天");
    EXPECT_EQ(TipTexts().back(), "IDS_UPLOAD_TARGET_CATALOG_EXIST");
    TypeName("夏");
    EXPECT_EQ(skin.Tips().size(), 2u);
    EXPECT_EQ(ChildTexts("13"), (std::vector<std::string>{"夏天", "秋天", "夏"}));
}

TEST_F(TargetDlgTest, EveryNameTheNetworkDiskRefusesIsRefusedHere) {
    for (const char* name :
         {"", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", ".", "..", "a\tb", "a\x7f"}) {
        EXPECT_FALSE(CUICTargetDlg::IsCatalogLegal(name)) << name;
    }
    // 85 Chinese characters are 255 bytes of UTF-8, one more is too long.
    std::string longest;
    for (int i = 0; i < 85; ++i) {
        longest += "文";
    }
    EXPECT_TRUE(CUICTargetDlg::IsCatalogLegal(longest));
    EXPECT_FALSE(CUICTargetDlg::IsCatalogLegal(longest + "文"));
    // "乗" and "亅" end in the bytes of a backslash and a bar in GB18030: they are no such characters.
    EXPECT_TRUE(CUICTargetDlg::IsCatalogLegal("乗车"));
    EXPECT_TRUE(CUICTargetDlg::IsCatalogLegal("亅"));
    EXPECT_TRUE(CUICTargetDlg::IsCatalogLegal("..a"));
}

TEST_F(TargetDlgTest, ANewFolderWithARefusedNameNeverLeavesTheDialog) {
    Open(kWrapped, 0);
    Select("13");
    dialog.OnBnClickedButtonNew();
    TypeName("..");
    ASSERT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_INFO_CATALOG_LAWLESS"});
    dialog.OnBnClickedButtonOk();
    Settle();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), IDOK);
    EXPECT_EQ(skin.Tips().size(), 2u);
    EXPECT_EQ(Remembered(), "");
    EXPECT_TRUE(host.netDisk.flashRequests.empty());
}

TEST_F(TargetDlgTest, OnlyFoldersMadeHereAtTheThirdLevelCanBeRenamedOrRemoved) {
    Open(kWrapped, 0);
    // An existing folder at the third level is neither.
    Select("13");
    skin.QueueMenuChoice(ID_TARGET_MENU_RENAME);
    dialog.OnNMRclickTree(dialog.Tree()->visualItemRect(dialog.ItemOf("13")).center());
    EXPECT_EQ(dialog.EditBox(), nullptr);
    dialog.OnMenuDelete();
    EXPECT_EQ(ChildTexts("12"), std::vector<std::string>{"2020"});
    // A new one at the second level is neither; at the third level it is both.
    Select(kTop);
    dialog.OnMenuNew();
    TypeName("second");
    dialog.OnMenuRename();
    EXPECT_EQ(dialog.EditBox(), nullptr);
    dialog.OnMenuDelete();
    EXPECT_EQ(ChildTexts(kTop).back(), "second");
    Select("11");
    NewFolder("third");
    dialog.OnMenuRename();
    TypeName("renamed");
    EXPECT_EQ(ChildTexts("11"), std::vector<std::string>{"renamed"});
    skin.QueueMenuChoice(ID_TARGET_MENU_DELETE);
    dialog.OnNMRclickTree(dialog.Tree()->visualItemRect(Selected()).center());
    EXPECT_TRUE(ChildTexts("11").empty());
    // A click turns label editing on only over a folder made here.
    dialog.OnNMClickTree(dialog.Tree()->visualItemRect(dialog.ItemOf(kTop)->child(3)).center());
    EXPECT_TRUE(dialog.IsLabelEditing());
    dialog.OnNMClickTree(dialog.Tree()->visualItemRect(dialog.ItemOf("11")).center());
    EXPECT_FALSE(dialog.IsLabelEditing());
}

// --- OK ---

TEST_F(TargetDlgTest, ASharedTargetIsConfirmedFirstAndCancelKeepsTheDialogOpen) {
    Open();
    Select("14");
    dialog.Tree()->clearFocus();
    prompts.QueueMessageBoxResult(IDCANCEL);
    dialog.OnBnClickedButtonOk();
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text, "IDS_UPLOAD_INFO_SHARE");
    EXPECT_EQ(prompts.Calls()[0].caption, "确认");
    EXPECT_EQ(prompts.Calls()[0].type, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.Tree());
    EXPECT_TRUE(host.netDisk.flashRequests.empty());

    prompts.QueueMessageBoxResult(IDOK);
    dialog.OnBnClickedButtonOk();
    EXPECT_EQ(dialog.result(), IDOK);
    ASSERT_EQ(host.netDisk.flashRequests.size(), 1u);
    EXPECT_EQ(ReadAnswer(host.netDisk.flashRequests[0]).shared, "1");
}

TEST_F(TargetDlgTest, OkRemembersThePathAndTellsThePageWhichFolderWasChosen) {
    Open();
    Select("15");
    dialog.OnBnClickedButtonOk();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.GetTargetID(), "15");
    EXPECT_EQ(dialog.GetCatalogName(), "");
    EXPECT_EQ(dialog.GetTargetPath(), "我的网盘\\照片\\2020\\夏天");
    EXPECT_EQ(Remembered(), "我的网盘\\照片\\2020\\夏天");
    ASSERT_EQ(host.netDisk.flashRequests.size(), 1u);
    const FlashAnswer answer = ReadAnswer(host.netDisk.flashRequests[0]);
    EXPECT_EQ(answer.number, "300001");
    EXPECT_EQ(answer.targetId, "15");
    EXPECT_EQ(answer.shared, "0");
    EXPECT_EQ(answer.parent, "");
    // With function number 0 the page hears nothing; the path is remembered all the same.
    Open(kTree, 1, 0);
    Select("13");
    dialog.OnBnClickedButtonOk();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(host.netDisk.flashRequests.size(), 1u);
    EXPECT_EQ(Remembered(), "我的网盘\\照片\\2020");
}

TEST_F(TargetDlgTest, ANewFolderIsAnsweredAsMinusOneWithItsParentAndName) {
    Open(kWrapped, 0);
    Select("13");
    NewFolder("秋天");
    dialog.OnBnClickedButtonOk();
    ASSERT_EQ(host.netDisk.flashRequests.size(), 1u);
    const FlashAnswer answer = ReadAnswer(host.netDisk.flashRequests[0]);
    EXPECT_EQ(answer.targetId, "-1");
    EXPECT_EQ(answer.parent, "13");
    EXPECT_EQ(answer.name, "秋天");
    EXPECT_EQ(Remembered(), "我的网盘\\照片\\2020\\秋天");
}

// --- Through the component ---

class ShowTargetTest : public TargetDlgTest {
protected:
    // Runs ShowTarget; script runs inside the modal run, on the component's dialog.
    long Run(const std::function<void(CUICTargetDlg&)>& script) {
        QTimer::singleShot(0, [this, script] {
            CUICTargetDlg* shown = UISingleton<CUICTargetDlg>::Existing();
            ASSERT_NE(shown, nullptr);
            EXPECT_TRUE(shown->isModal());
            script(*shown);
            // Whatever the script did, the run ends.
            if (shown->isVisible()) {
                shown->done(IDCANCEL);
            }
        });
        return component->ShowTarget(kTree, 198700);
    }

    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall adapterInstall{&adapter};
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
};

TEST_F(ShowTargetTest, EnterEndsALabelEditAndNeverClosesTheDialog) {
    bool stillOpen = false;
    EXPECT_EQ(Run([&](CUICTargetDlg& shown) {
                  shown.Tree()->setCurrentItem(shown.ItemOf("13"));
                  shown.OnMenuNew();
                  ASSERT_NE(shown.EditBox(), nullptr);
                  shown.EditBox()->setText(ToQString("秋天"));
                  QTest::keyClick(shown.EditBox(), Qt::Key_Return);
                  Settle();
                  QTest::keyClick(shown.Tree(), Qt::Key_Enter);
                  Settle();
                  stillOpen = shown.isVisible() && shown.EditBox() == nullptr &&
                              FromQString(shown.Tree()->currentItem()->text(0)) == "秋天";
              }),
              0);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(host.netDisk.flashRequests.empty());
}

TEST_F(ShowTargetTest, TheChoiceReachesThePageUnderItsNumberAndEachRunStartsAfresh) {
    EXPECT_EQ(Run([](CUICTargetDlg& shown) {
                  shown.Tree()->setCurrentItem(shown.ItemOf("11"));
                  QTest::mouseClick(GetDlgItem(&shown, IDC_BUTTON_TARGET_OK), Qt::LeftButton);
              }),
              0);
    ASSERT_EQ(host.netDisk.flashRequests.size(), 1u);
    EXPECT_EQ(ReadAnswer(host.netDisk.flashRequests[0]).number, "198700");
    EXPECT_EQ(ReadAnswer(host.netDisk.flashRequests[0]).targetId, "11");
    // The next run shows the tree anew, starting at the folder chosen last; Cancel tells nobody.
    std::string startedAt;
    EXPECT_EQ(Run([&](CUICTargetDlg& shown) {
                  startedAt = FromQString(shown.Tree()->currentItem()->text(0));
                  QTest::mouseClick(GetDlgItem(&shown, IDC_BUTTON_TARGET_CANCEL), Qt::LeftButton);
              }),
              0);
    EXPECT_EQ(startedAt, "我的文件夹");
    EXPECT_EQ(host.netDisk.flashRequests.size(), 1u);
}

TEST_F(ShowTargetTest, SigningOutEndsAnOpenRun) {
    bool closed = false;
    EXPECT_EQ(Run([&](CUICTargetDlg& shown) {
                  component->Deregister();
                  closed = !shown.isVisible();
              }),
              0);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(host.netDisk.flashRequests.empty());
}

}  // namespace
