// The network-disk downloads: the naming rules, and the three requests driven through the component with
// the scripted prompts, the test host and a mock engine adapter, against real folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/ScriptedSound.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/download/DownloadNames.h"
#include "uic/UICUploadFile/download/DownloadRequest.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"

namespace {

using ::testing::_;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

TEST(DownloadNamesTest, TheLastDotGivesTheExtensionAndItsFilterComesFirst) {
    EXPECT_EQ(DownloadExtension("archive.tar.gz"), "gz");
    EXPECT_EQ(DownloadFilter("gz"), "gz Files  (*.gz)|*.gz|所有文件 (*.*)|*.*||");
    // A name without a dot has no extension: only the all-files filter, and the chosen name is kept.
    EXPECT_EQ(DownloadExtension("Makefile"), "");
    EXPECT_EQ(DownloadFilter(""), "所有文件 (*.*)|*.*||");
    EXPECT_EQ(WithDownloadExtension("/home/a/Makefile", ""), "/home/a/Makefile");
}

TEST(DownloadNamesTest, TheChosenPathAlwaysKeepsTheRequestedExtension) {
    EXPECT_EQ(WithDownloadExtension("/home/a/notes.txt", "gz"), "/home/a/notes.gz");
    EXPECT_EQ(WithDownloadExtension("/home/a/notes", "gz"), "/home/a/notes.gz");
    EXPECT_EQ(WithDownloadExtension("/home/a/notes.gz", "gz"), "/home/a/notes.gz");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(WithDownloadExtension("/home/v1.2/notes", "gz"), "/home/v1.2/notes.gz");
}

TEST(DownloadNamesTest, RequestedNamesNeverLeaveTheChosenFolder) {
    EXPECT_EQ(LocalDownloadName("报告.txt"), "报告.txt");
    EXPECT_EQ(LocalDownloadName("../../.bashrc"), ".bashrc");
    EXPECT_EQ(LocalDownloadName("/etc/passwd"), "passwd");
    EXPECT_EQ(LocalDownloadName("..\\..\\autorun.inf"), "autorun.inf");
    for (const char* refused : {"", ".", "..", "a/..", "folder/"}) {
        EXPECT_EQ(LocalDownloadName(refused), "") << refused;
    }
    // 乗 ends in the byte of "\" in GB18030: it is a character of the name, not a separator.
    EXPECT_EQ(LocalDownloadName("乗.txt"), "乗.txt");
}

TEST(DownloadNamesTest, PathsBelowAFolderStayBelowItOrAreRefusedWhole) {
    EXPECT_EQ(LocalDownloadPath("报告.txt"), "报告.txt");
    EXPECT_EQ(LocalDownloadPath("子目录A/深层/c.txt"), "子目录A/深层/c.txt");
    EXPECT_EQ(LocalDownloadPath("sub\\deeper\\c.txt"), "sub/deeper/c.txt");
    EXPECT_EQ(LocalDownloadPath("乗/乗.txt"), "乗/乗.txt");
    for (const char* refused : {"", ".", "..", "/etc/passwd", "\\\\server\\share\\x", "../x", "a/../../x",
                                "a/..", "a/./b", "a//b", "folder/", "..\\..\\autorun.inf"}) {
        EXPECT_EQ(LocalDownloadPath(refused), "") << refused;
    }
    EXPECT_EQ(NumberedPath("sub/a.jpg", 2), "sub/a(2).jpg");
    EXPECT_EQ(NumberedPath("v1.2/notes", 3), "v1.2/notes(3)");
}

class DownloadRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_SELECT_FOLDER"}] = "选择文件夹";
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_INFO_ALIKEFOLDER"}] = "%s 已存在，改用 %s？";
        host.lang.texts[{"GLOBAL", "IDS_GLOBAL_INFO_CONFIRM"}] = "确认";
        g_IOrvaLange = &host.lang;
        Services::SetPrompts(&prompts);
        Services::SetSkin(&skin);
        Services::SetSound(&sound);
        component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(component, nullptr);
        WritePrivateProfileString("PREPATH", "DOWNFILES", nullptr, ConfigFile().c_str());
    }
    void TearDown() override {
        WritePrivateProfileString("PREPATH", "DOWNFILES", nullptr, ConfigFile().c_str());
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetPrompts(nullptr);
        Services::SetSkin(nullptr);
        Services::SetSound(nullptr);
        g_IOrvaLange = nullptr;
    }

    static std::string ConfigFile() { return CToolsHelp::GetProgramDir() + "config.ini"; }
    // A path below the test folder, in the component's code page.
    std::string Path(const std::string& relative) const {
        return FromQString(m_dir.path()) + (relative.empty() ? "" : "/" + relative);
    }
    void MakeFolder(const std::string& relative) { ASSERT_TRUE(QDir().mkpath(ToQString(Path(relative)))); }
    bool Exists(const std::string& relative) const { return QFile::exists(ToQString(Path(relative))); }
    // The two files of kPhotosDoc handed to the engine, into the folder.
    void ExpectPhotosIn(const std::string& folder) {
        EXPECT_CALL(adapter, DownloadFile("http://s/file/1", Path(folder + "/a.jpg"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("http://s/file/2", Path(folder + "/b.jpg"), -1, -1));
    }

    QTemporaryDir m_dir;
    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall install{&adapter};
    testhost::TestHost host;
    ScriptedPrompts prompts;
    ScriptedSkin skin;
    ScriptedSound sound;
    CUICUploadComp* component = nullptr;
};

const char* const kPhotosDoc =
    "<DownloadFolder Folder=\"Photos\"><DownloadList><File url=\"http://s/file/1\" name=\"a.jpg\"/>"
    "<File url=\"http://s/file/2\" name=\"b.jpg\"/></DownloadList></DownloadFolder>";

TEST_F(DownloadRequestTest, DownloadFileSavesUnderTheRequestedExtensionReplacingAnOldFile) {
    {
        QFile old(ToQString(Path("backup.gz")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old bytes");
    }
    prompts.QueueSaveFile(Path("backup.txt"));
    prompts.QueueSaveFile(Path("plain"));
    bool oldGoneBeforeHandOver = false;
    {
        InSequence order;
        EXPECT_CALL(adapter, DownloadFile("http://s/file/7", Path("backup.gz"), DOWNLOAD_KIND_ORDINARY, -1))
            .WillOnce(Invoke([&](auto&&...) {
                oldGoneBeforeHandOver = !Exists("backup.gz");
                return 0;
            }));
        EXPECT_CALL(adapter, DownloadFile("http://s/file/7", Path("plain.gz"), DOWNLOAD_KIND_ORDINARY, -1));
    }
    const std::string doc =
        "<DownloadList><File url=\"http://s/file/7\" name=\"archive.tar.gz\"/>"
        "<File url=\"http://s/file/8\" name=\"second.txt\"/></DownloadList>";
    EXPECT_EQ(component->DownloadFile(doc), 0);
    EXPECT_EQ(component->DownloadFile(doc), 0);
    EXPECT_TRUE(oldGoneBeforeHandOver);

    ASSERT_EQ(prompts.Calls().size(), 2u);
    const ScriptedPrompts::Call& save = prompts.Calls()[0];
    EXPECT_EQ(save.kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(save.owner, &host.netDisk.window);
    EXPECT_EQ(save.options.fileName, "archive.tar.gz");
    EXPECT_EQ(save.options.filter, "gz Files  (*.gz)|*.gz|所有文件 (*.*)|*.*||");
}

TEST_F(DownloadRequestTest, NothingIsDownloadedWithoutAPlaceAFileOrTheHostsPage) {
    EXPECT_CALL(adapter, DownloadFile(_, _, _, _)).Times(0);
    // Cancelled save dialog.
    EXPECT_EQ(component->DownloadFile("<DownloadList><File url=\"u\" name=\"a.txt\"/></DownloadList>"), 0);
    EXPECT_EQ(prompts.Calls().size(), 1u);
    prompts.ClearCalls();
    // Documents without a file, or of another kind: no question at all.
    for (const char* doc : {"<DownloadList/>",
                            "<DownloadFiles><DownloadList><File url=\"u\" name=\"a\"/>"
                            "</DownloadList></DownloadFiles>",
                            "not a document"}) {
        EXPECT_EQ(component->DownloadFile(doc), 0) << doc;
        EXPECT_EQ(component->DownloadFolder(doc), 0) << doc;
    }
    EXPECT_TRUE(prompts.Calls().empty());
    // Without the network-disk page there is no owner for the dialog: the request is dropped.
    host.Withdraw(IID_IUICNetDisk);
    EXPECT_EQ(component->DownloadFile("<DownloadList><File url=\"u\" name=\"a.txt\"/></DownloadList>"), -1);
    EXPECT_EQ(component->DownloadFiles("<DownloadFiles><DownloadList/></DownloadFiles>"), -1);
    EXPECT_TRUE(prompts.Calls().empty());
}

TEST_F(DownloadRequestTest, DownloadFolderCreatesTheFolderAndStartsWhereItWasLastChosen) {
    MakeFolder("first");
    MakeFolder("second/");
    prompts.QueueFolder(Path("first"));
    prompts.QueueFolder(Path("second/"));
    ExpectPhotosIn("first/Photos");
    ExpectPhotosIn("second/Photos");
    EXPECT_EQ(component->DownloadFolder(kPhotosDoc), 0);
    EXPECT_TRUE(Exists("first/Photos"));
    EXPECT_EQ(component->DownloadFolder(kPhotosDoc), 0);
    EXPECT_TRUE(Exists("second/Photos"));

    ASSERT_EQ(prompts.Calls().size(), 2u);
    EXPECT_EQ(prompts.Calls()[0].owner, &host.mainWnd.window);
    EXPECT_EQ(prompts.Calls()[0].text, "选择文件夹");
    EXPECT_EQ(prompts.Calls()[1].initialFolder, Path("first"));
    EXPECT_EQ(CDownloadRequest::LastFolder(), Path("second/"));
}

TEST_F(DownloadRequestTest, AnExistingFolderIsOfferedTheNextFreeNameYesNoOrCancel) {
    MakeFolder("Photos");
    MakeFolder("Photos(2)");
    prompts.QueueFolder(Path(""));
    prompts.QueueMessageBoxResult(IDYES);
    prompts.QueueFolder(Path(""));
    prompts.QueueMessageBoxResult(IDNO);
    prompts.QueueFolder(Path(""));
    prompts.QueueMessageBoxResult(IDCANCEL);
    {
        InSequence order;
        ExpectPhotosIn("Photos(3)");
        ExpectPhotosIn("Photos");
    }
    EXPECT_EQ(component->DownloadFolder(kPhotosDoc), 0);
    EXPECT_TRUE(Exists("Photos(3)"));
    EXPECT_EQ(component->DownloadFolder(kPhotosDoc), 0);
    EXPECT_FALSE(Exists("Photos(4)"));
    EXPECT_EQ(component->DownloadFolder(kPhotosDoc), 0);  // Cancel: nothing more

    ASSERT_EQ(prompts.Calls().size(), 6u);
    const ScriptedPrompts::Call& question = prompts.Calls()[1];
    EXPECT_EQ(question.kind, ScriptedPrompts::Kind::MessageBox);
    EXPECT_EQ(question.text, "Photos 已存在，改用 Photos(3)？");
    EXPECT_EQ(question.caption, "确认");
    EXPECT_EQ(question.type, MB_YESNOCANCEL | MB_ICONQUESTION);
    // Without an upload dialog the question has no owner window.
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_EQ(prompts.Calls()[3].text, "Photos 已存在，改用 Photos(4)？");
}

TEST_F(DownloadRequestTest, NamesFromTheDocumentStayInsideTheChosenFolder) {
    prompts.QueueFolder(Path(""));
    // A folder's files keep their place in its tree, so a path that would leave it is refused whole.
    EXPECT_CALL(adapter, DownloadFile("u0", Path("evil/inside.txt"), -1, -1));
    EXPECT_CALL(adapter, DownloadFile("u1", _, _, _)).Times(0);
    EXPECT_CALL(adapter, DownloadFile("u2", _, _, _)).Times(0);
    EXPECT_CALL(adapter, DownloadFile("u3", _, _, _)).Times(0);
    EXPECT_EQ(component->DownloadFolder("<DownloadFolder Folder=\"../../evil\"><DownloadList>"
                                        "<File url=\"u0\" name=\"inside.txt\"/>"
                                        "<File url=\"u1\" name=\"/etc/passwd\"/>"
                                        "<File url=\"u2\" name=\"..\\..\\run.sh\"/>"
                                        "<File url=\"u3\" name=\"..\"/></DownloadList></DownloadFolder>"),
              0);
    EXPECT_TRUE(Exists("evil"));
    EXPECT_FALSE(QFile::exists(m_dir.path() + "/../evil"));
    // A folder name with nothing usable left is refused before anything is asked.
    EXPECT_EQ(component->DownloadFolder("<DownloadFolder Folder=\"..\"><DownloadList>"
                                        "<File url=\"u4\" name=\"x\"/></DownloadList></DownloadFolder>"),
              0);
    EXPECT_EQ(prompts.Calls().size(), 1u);
}

TEST_F(DownloadRequestTest, AFolderComesWithItsWholeTreeEmptyFoldersIncluded) {
    prompts.QueueFolder(Path(""));
    {
        InSequence order;
        EXPECT_CALL(adapter, DownloadFile("u1", Path("tree/a.txt"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u2", Path("tree/子目录A/b.txt"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u3", Path("tree/子目录A/深层/c.txt"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u4", Path("tree/subB/d.txt"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u5", Path("tree/subB/d(2).txt"), -1, -1));
    }
    EXPECT_EQ(component->DownloadFolder(
                  "<DownloadFolder Folder=\"tree\"><DownloadList><Folder name=\"子目录A\"/>"
                  "<Folder name=\"子目录A/深层\"/><Folder name=\"subB\"/><Folder name=\"空\"/>"
                  "<Folder name=\"../outside\"/>"
                  "<File url=\"u1\" name=\"a.txt\"/><File url=\"u2\" name=\"子目录A/b.txt\"/>"
                  "<File url=\"u3\" name=\"子目录A/深层/c.txt\"/><File url=\"u4\" name=\"subB/d.txt\"/>"
                  "<File url=\"u5\" name=\"subB\\d.txt\"/></DownloadList></DownloadFolder>"),
              0);
    for (const char* folder : {"tree/子目录A/深层", "tree/subB", "tree/空"}) {
        EXPECT_TRUE(QDir(ToQString(Path(folder))).exists()) << folder;
    }
    EXPECT_FALSE(Exists("outside"));
}

TEST_F(DownloadRequestTest, ALinkInTheChosenFolderIsNotFollowedOutOfIt) {
    MakeFolder("outside");
    MakeFolder("tree");
    ASSERT_TRUE(QFile::link(ToQString(Path("outside")), ToQString(Path("tree/link"))));
    prompts.QueueFolder(Path(""));
    prompts.QueueMessageBoxResult(IDNO);  // into the existing "tree"
    EXPECT_CALL(adapter, DownloadFile("u2", Path("tree/inside/b.txt"), -1, -1));
    EXPECT_CALL(adapter, DownloadFile("u1", _, _, _)).Times(0);
    EXPECT_EQ(component->DownloadFolder("<DownloadFolder Folder=\"tree\"><DownloadList>"
                                        "<Folder name=\"link/made\"/>"
                                        "<File url=\"u1\" name=\"link/a.txt\"/>"
                                        "<File url=\"u2\" name=\"inside/b.txt\"/>"
                                        "</DownloadList></DownloadFolder>"),
              0);
    EXPECT_FALSE(Exists("outside/made"));
}

TEST_F(DownloadRequestTest, DownloadFilesRemembersItsFolderInConfigIniAndShowsTheDownloadingPage) {
    CUICTransmitDlg* list = component->GetTransmitDlg();
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->CurView(), IDC_VIEW_DOWNLOADING);
    MakeFolder("keep");
    prompts.QueueFolder(Path("keep"));
    prompts.QueueFolder(Path("keep"));
    EXPECT_CALL(adapter, DownloadFile("u1", Path("keep/one.txt"), -1, -1)).Times(2);
    EXPECT_CALL(adapter, DownloadFile("u2", Path("keep/two.bin"), -1, -1)).Times(2);
    const std::string doc =
        "<DownloadFiles><DownloadList><File url=\"u1\" name=\"one.txt\"/>"
        "<File url=\"u2\" name=\"two.bin\"/></DownloadList></DownloadFiles>";
    EXPECT_EQ(component->DownloadFiles(doc), 0);
    EXPECT_EQ(list->CurView(), IDC_VIEW_DOWNLOADING);
    EXPECT_EQ(GetPrivateProfileString("PREPATH", "DOWNFILES", "", ConfigFile().c_str()), Path("keep"));
    EXPECT_EQ(component->DownloadFiles(doc), 0);

    ASSERT_EQ(prompts.Calls().size(), 2u);
    EXPECT_EQ(prompts.Calls()[0].owner, &host.netDisk.window);
    EXPECT_EQ(prompts.Calls()[0].initialFolder, "");
    EXPECT_EQ(prompts.Calls()[1].initialFolder, Path("keep"));
    // A list without files still remembers the folder, and hands nothing over.
    prompts.QueueFolder(Path(""));
    EXPECT_EQ(component->DownloadFiles("<DownloadFiles><DownloadList/></DownloadFiles>"), 0);
    EXPECT_EQ(GetPrivateProfileString("PREPATH", "DOWNFILES", "", ConfigFile().c_str()), Path(""));
}

TEST_F(DownloadRequestTest, RepeatedNamesInOneRequestAreNumberedSoNoTwoTasksShareAPath) {
    prompts.QueueFolder(Path(""));
    {
        InSequence order;
        EXPECT_CALL(adapter, DownloadFile("u1", Path("a.jpg"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u2", Path("a(2).jpg"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u3", Path("a(3).jpg"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u4", Path("notes"), -1, -1));
        EXPECT_CALL(adapter, DownloadFile("u5", Path("notes(2)"), -1, -1));
    }
    EXPECT_EQ(component->DownloadFiles("<DownloadFiles><DownloadList><File url=\"u1\" name=\"a.jpg\"/>"
                                       "<File url=\"u2\" name=\"a.jpg\"/><File url=\"u3\" name=\"x/a.jpg\"/>"
                                       "<File url=\"u4\" name=\"notes\"/><File url=\"u5\" name=\"notes\"/>"
                                       "</DownloadList></DownloadFiles>"),
              0);
}

TEST_F(DownloadRequestTest, DownloadFileShowsTheDownloadingPageOfAnOpenTransferList) {
    CUICTransmitDlg* list = component->GetTransmitDlg();
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->CurView(), IDC_VIEW_DOWNLOADING);
    EXPECT_EQ(component->DownloadFile("<DownloadList><File url=\"u\" name=\"a.txt\"/></DownloadList>"), 0);
    EXPECT_EQ(list->CurView(), IDC_VIEW_DOWNLOADING);
}

}  // namespace
