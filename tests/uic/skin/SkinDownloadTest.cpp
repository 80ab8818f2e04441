// Skin downloads through the component with the scripted prompts, the test host and a mock engine adapter
// that reports each new task as the real one does (event 3 from inside DownloadFile): the questions and the
// list of skins under way, the progress window's states and how each of them ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "WholeFiles.h"
#include "ZipArchiveBuilder.h"
#include "function/IUIPCallBack.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/ProgramDir.h"
#include "platform/ScriptedPrompts.h"
#include "platform/Services.h"
#include "platform/WinBase.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/skin/UICDownLoadSkinDlg.h"

namespace fs = std::filesystem;

namespace {

using ::testing::_;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

constexpr int32_t kTaskId = 77;
constexpr unsigned kPoll = CUICDownLoadSkinDlg::kPollTimer;
const char* const kUrl = "http://disk.example/static/skins/purple.zip";

class SkinDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const auto& [key, text] : std::map<std::string, std::string>{
                 {"IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADED", "该皮肤正在下载，请稍候。"},
                 {"IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADING", "正在下载皮肤"},
                 {"IDS_UPLOAD_DOWNLOADSKIN_FAILED", "下载失败。"},
                 {"IDS_UPLOAD_DOWNLOADSKIN_NOEXIST", "该皮肤尚未安装，是否现在下载？"},
                 {"IDS_UPLOAD_DOWNLOADSKIN_SUCCEED", "下载完成，是否立即使用？"}}) {
            host.lang.texts[{"UPLOAD", key}] = text;
        }
        host.lang.texts[{"GLOBAL", "IDS_GLOBAL_INFO_INFORMATION"}] = "提示";
        host.lang.texts[{"GLOBAL", "IDS_GLOBAL_INFO_WARNING"}] = "警告";
        host.lang.texts[{"MAINWND", "IDC_MAINWND_SKIN_BLUE"}] = "经典蓝";
        host.lang.texts[{"MAINWND", "IDC_MAINWND_SKIN_PURPLE"}] = "典雅紫";
        host.lang.texts[{"MAINWND", "IDC_MAINWND_SKIN_SAND"}] = "沙滩黄";
        g_IOrvaLange = &host.lang;
        Services::SetPrompts(&prompts);
        component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(component, nullptr);
        host.Offer(IID_IUICUpload, component);
        // As the real adapter: the new task is reported from inside DownloadFile.
        ON_CALL(adapter, DownloadFile(_, _, DOWNLOAD_KIND_SKIN, _))
            .WillByDefault(Invoke([this](const std::string&, const std::string& path, long, LPARAM skinId) {
                tagFileInfo record = Record(TASK_WAITING);
                record.strFilePath = path;
                component->OnEventHandle(UIP_EVENT_SKIN_DOWNLOAD, reinterpret_cast<WPARAM>(&record), skinId);
                return 0;
            }));
        m_skinFolderExisted = fs::exists(SkinFolder());
    }
    void TearDown() override {
        host.Withdraw(IID_IUICUpload);
        UISingleton<CUICUploadComp>::Destroy();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Services::SetPrompts(nullptr);
        g_IOrvaLange = nullptr;
        std::error_code ignored;
        fs::remove_all(m_skinFolderExisted ? SkinFolder() / "purple" : SkinFolder(), ignored);
    }

    static fs::path SkinFolder() { return ProgramDirUtf8() + "skin"; }
    // The archive's place, in the component's code page.
    std::string ArchivePath() const { return FromQString(m_dir.path()) + "/紫色.zip"; }
    fs::path ArchiveFile() const { return Gb18030ToUtf8(ArchivePath()); }
    tagFileInfo Record(int32_t state) const {
        tagFileInfo record;
        record.nFileID = kTaskId;
        record.strFilePath = ArchivePath();
        record.nState = state;
        return record;
    }
    void WritePurpleArchive(const std::string& styleSheet) const {
        ZipArchiveBuilder zip(ArchiveFile().string());
        ASSERT_TRUE(zip.File("purple/skin.qss", styleSheet));
    }

    // The progress windows on screen.
    static std::vector<CUICDownLoadSkinDlg*> Dialogs() {
        std::vector<CUICDownLoadSkinDlg*> dialogs;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CUICDownLoadSkinDlg*>(widget);
            if (dialog && dialog->isVisible()) {
                dialogs.push_back(dialog);
            }
        }
        return dialogs;
    }
    // The skin's download confirmed by the user; its progress window.
    CUICDownLoadSkinDlg* Start(long skinId) {
        prompts.QueueMessageBoxResult(IDYES);
        const std::vector<CUICDownLoadSkinDlg*> before = Dialogs();
        EXPECT_EQ(component->DownloadSkin(kUrl, ArchivePath(), skinId), 0);
        std::vector<CUICDownLoadSkinDlg*> added;
        for (CUICDownLoadSkinDlg* dialog : Dialogs()) {
            if (std::find(before.begin(), before.end(), dialog) == before.end()) {
                added.push_back(dialog);
            }
        }
        return added.size() == 1 ? added.front() : nullptr;
    }
    // Whether the component still counts the skin as under way: then a new request only warns.
    bool Listed(long skinId) {
        prompts.ClearCalls();
        component->DownloadSkin(kUrl, ArchivePath(), skinId);  // an unanswered question is a No
        return !prompts.Calls().empty() && prompts.Calls().back().type == MB_ICONWARNING;
    }
    // The dialog's next poll finds the engine task in this state.
    void EngineReports(int32_t state, long percent = 0, uint64_t size = 0) {
        EXPECT_CALL(adapter, GetDownLOadProgress(_, _))
            .WillOnce(Invoke([=](long& done, tagFileInfo& record) {
                done = percent;
                record.nState = state;
                record.ullFileSize = size;
                return 0;
            }))
            .RetiresOnSaturation();
    }
    static void Reap() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static int Progress(QWidget* dialog) { return dialog->findChild<QProgressBar*>()->value(); }
    static QString Name(QWidget* dialog) { return dialog->findChild<QLabel*>()->text(); }

    QTemporaryDir m_dir;
    bool m_skinFolderExisted = false;
    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall install{&adapter};
    testhost::TestHost host;
    ScriptedPrompts prompts;
    CUICUploadComp* component = nullptr;
};

TEST_F(SkinDownloadTest, TheUserIsAskedOnceAndASecondRequestForTheSameSkinOnlyWarns) {
    EXPECT_CALL(adapter, DownloadFile(_, _, _, _)).Times(0);
    prompts.QueueMessageBoxResult(IDNO);
    EXPECT_EQ(component->DownloadSkin(kUrl, ArchivePath(), 1), 0);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_FALSE(Listed(1)) << "No adds nothing";

    EXPECT_CALL(adapter, DownloadFile(kUrl, ArchivePath(), DOWNLOAD_KIND_SKIN, 1));
    ASSERT_NE(Start(1), nullptr);
    prompts.ClearCalls();
    EXPECT_EQ(component->DownloadSkin(kUrl, ArchivePath(), 1), 0);
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text, "该皮肤正在下载，请稍候。");
    EXPECT_EQ(prompts.Calls()[0].caption, "警告");
    EXPECT_EQ(prompts.Calls()[0].type, 0x30u);
    EXPECT_EQ(prompts.Calls()[0].owner, nullptr);
    EXPECT_EQ(Dialogs().size(), 1u);

    // Another skin downloads beside it, in a window of its own.
    EXPECT_CALL(adapter, DownloadFile(kUrl, ArchivePath(), DOWNLOAD_KIND_SKIN, 8));
    prompts.ClearCalls();
    ASSERT_NE(Start(8), nullptr);
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text, "该皮肤尚未安装，是否现在下载？");
    EXPECT_EQ(prompts.Calls()[0].caption, "提示");
    EXPECT_EQ(prompts.Calls()[0].type, 0x44u);
    EXPECT_EQ(Dialogs().size(), 2u);
}

TEST_F(SkinDownloadTest, ADownloadThatCannotStartLeavesNoSkinUnderWay) {
    EXPECT_CALL(adapter, DownloadFile(_, _, DOWNLOAD_KIND_SKIN, 1)).WillOnce(Return(-1));
    prompts.QueueMessageBoxResult(IDYES);
    EXPECT_EQ(component->DownloadSkin(kUrl, ArchivePath(), 1), 0);
    ASSERT_EQ(prompts.Calls().size(), 2u);
    EXPECT_EQ(prompts.Calls()[1].text, "典雅紫下载失败。");
    EXPECT_FALSE(Listed(1));

    // Without the adapter: -1 once the user said Yes, and nothing is listed.
    ScopedAdapterInstall none{nullptr};
    prompts.QueueMessageBoxResult(IDYES);
    EXPECT_EQ(component->DownloadSkin(kUrl, ArchivePath(), 1), -1);
    EXPECT_FALSE(Listed(1));
}

TEST_F(SkinDownloadTest, TheWindowNamesTheSkinAndPollsOnceASecond) {
    CUICDownLoadSkinDlg* dialog = Start(1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), ToQString("正在下载皮肤"));
    EXPECT_EQ(Name(dialog), ToQString("典雅紫"));
    const auto* timer = dialog->findChild<QTimer*>(QString::number(kPoll));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);

    EngineReports(TASK_RUNNING, 40, 2000);
    dialog->OnTimer(kPoll);
    EXPECT_EQ(Progress(dialog), 40);
    // A size not known yet moves nothing.
    EngineReports(TASK_RUNNING, 70, 0);
    dialog->OnTimer(kPoll);
    EXPECT_EQ(Progress(dialog), 40);

    // The language switch renames the window and the skin.
    host.lang.texts[{"UPLOAD", "IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADING"}] = "Downloading skin";
    host.lang.texts[{"MAINWND", "IDC_MAINWND_SKIN_PURPLE"}] = "Elegant purple";
    SC_ORVA::SetLanguageOfAllWindows();
    EXPECT_EQ(dialog->windowTitle(), "Downloading skin");
    EXPECT_EQ(Name(dialog), "Elegant purple");
}

TEST_F(SkinDownloadTest, IdsOutsideTheNineSkinsAreNamedAsTheBlueOne) {
    EXPECT_EQ(CUICDownLoadSkinDlg::GetSkinName(8), "沙滩黄");
    for (long id : {9L, 100L, -1L}) {
        EXPECT_EQ(CUICDownLoadSkinDlg::GetSkinName(id), "经典蓝") << id;
    }
    CUICDownLoadSkinDlg* dialog = Start(9);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Name(dialog), ToQString("经典蓝"));
}

TEST_F(SkinDownloadTest, AFinishedSkinIsInstalledAndAppliedOnlyWhenTheUserSaysYes) {
    for (const int answer : {IDYES, IDNO}) {
        WritePurpleArchive("QMenuBar { background-color: #6b3fa0; }");
        CUICDownLoadSkinDlg* dialog = Start(1);
        ASSERT_NE(dialog, nullptr);
        const QPointer<CUICDownLoadSkinDlg> alive(dialog);
        EngineReports(TASK_FINISHED, 100, 1000);
        dialog->OnTimer(kPoll);
        EXPECT_FALSE(fs::exists(SkinFolder() / "purple")) << "the state is seen at the next poll";

        prompts.ClearCalls();
        prompts.QueueMessageBoxResult(answer);
        EXPECT_CALL(adapter, DeleteTask(kTaskId, 0));
        dialog->OnTimer(kPoll);
        ASSERT_EQ(prompts.Calls().size(), 1u);
        EXPECT_EQ(prompts.Calls()[0].text, "典雅紫下载完成，是否立即使用？");
        EXPECT_EQ(prompts.Calls()[0].caption, "提示");
        EXPECT_EQ(prompts.Calls()[0].type, 0x44u);
        EXPECT_EQ(Read(SkinFolder() / "purple/skin.qss"), "QMenuBar { background-color: #6b3fa0; }");
        EXPECT_EQ(host.mainWnd.skinsApplied, std::vector<long>{1}) << "applied at the Yes, not at the No";
        EXPECT_FALSE(fs::exists(ArchiveFile()));
        EXPECT_FALSE(Listed(1));
        Reap();
        EXPECT_TRUE(alive.isNull());
        ::testing::Mock::VerifyAndClearExpectations(&adapter);
        fs::remove_all(SkinFolder() / "purple");
    }
}

TEST_F(SkinDownloadTest, AnArchiveThatCannotBeInstalledWholeIsAFailedDownload) {
    Write(SkinFolder() / "purple/skin.qss", "the skin that was there");
    Write(ArchiveFile(), "PK\3\4 and then nothing of use");
    CUICDownLoadSkinDlg* dialog = Start(1);
    ASSERT_NE(dialog, nullptr);
    EngineReports(TASK_FINISHED, 100, 1000);
    dialog->OnTimer(kPoll);
    prompts.ClearCalls();
    EXPECT_CALL(adapter, DeleteTask(kTaskId, 0));
    dialog->OnTimer(kPoll);
    ASSERT_EQ(prompts.Calls().size(), 1u) << "no question about using it";
    EXPECT_EQ(prompts.Calls()[0].text, "典雅紫下载失败。");
    EXPECT_EQ(prompts.Calls()[0].type, 0x40u);
    EXPECT_EQ(Read(SkinFolder() / "purple/skin.qss"), "the skin that was there");
    EXPECT_TRUE(host.mainWnd.skinsApplied.empty());
    EXPECT_FALSE(fs::exists(ArchiveFile()));
    EXPECT_FALSE(Listed(1));
}

TEST_F(SkinDownloadTest, FailedPausedAndOtherStatesEndWithTheFailureMessage) {
    for (const int32_t state : {TASK_FAILED, TASK_PAUSED, TASK_OTHER}) {
        CUICDownLoadSkinDlg* dialog = Start(1);
        ASSERT_NE(dialog, nullptr) << state;
        const QPointer<CUICDownLoadSkinDlg> alive(dialog);
        Write(ArchiveFile(), "part of it");
        EngineReports(state);
        dialog->OnTimer(kPoll);
        prompts.ClearCalls();
        EXPECT_CALL(adapter, DeleteTask(kTaskId, 0));
        dialog->OnTimer(kPoll);
        ASSERT_EQ(prompts.Calls().size(), 1u) << state;
        EXPECT_EQ(prompts.Calls()[0].text, "典雅紫下载失败。");
        EXPECT_EQ(prompts.Calls()[0].caption, "提示");
        EXPECT_EQ(prompts.Calls()[0].type, 0x40u);
        EXPECT_FALSE(fs::exists(ArchiveFile())) << state;
        EXPECT_FALSE(Listed(1)) << state;
        Reap();
        EXPECT_TRUE(alive.isNull()) << state;
        ::testing::Mock::VerifyAndClearExpectations(&adapter);
    }
    EXPECT_TRUE(host.mainWnd.skinsApplied.empty());
}

TEST_F(SkinDownloadTest, ClosingTheWindowWhileTheArchiveArrivesEndsTheDownload) {
    // The close box, the OK button and Escape end it alike.
    const std::vector<std::function<void(CUICDownLoadSkinDlg*)>> ends = {
        [](CUICDownLoadSkinDlg* dialog) { dialog->close(); },
        [](CUICDownLoadSkinDlg* dialog) { dialog->findChild<QPushButton*>()->click(); },
        [](CUICDownLoadSkinDlg* dialog) { dialog->reject(); }};
    for (const auto& end : ends) {
        CUICDownLoadSkinDlg* dialog = Start(1);
        ASSERT_NE(dialog, nullptr);
        const QPointer<CUICDownLoadSkinDlg> alive(dialog);
        EngineReports(TASK_RUNNING, 30, 5000);
        dialog->OnTimer(kPoll);
        Write(ArchiveFile(), "the first bytes");
        prompts.ClearCalls();
        EXPECT_CALL(adapter, DeleteTask(kTaskId, 0));
        end(dialog);
        EXPECT_TRUE(prompts.Calls().empty());
        EXPECT_FALSE(fs::exists(ArchiveFile()));
        EXPECT_FALSE(Listed(1));
        Reap();
        EXPECT_TRUE(alive.isNull());
        ::testing::Mock::VerifyAndClearExpectations(&adapter);
    }
    EXPECT_TRUE(host.mainWnd.skinsApplied.empty());
}

TEST_F(SkinDownloadTest, NewAndEngineErrorStatesStopThePollButKeepTheWindow) {
    for (const int32_t state : {TASK_NEW, TASK_ENGINE_ERROR}) {
        CUICDownLoadSkinDlg* dialog = Start(state == TASK_NEW ? 1 : 2);
        ASSERT_NE(dialog, nullptr);
        EngineReports(state);
        dialog->OnTimer(kPoll);
        prompts.ClearCalls();
        EXPECT_CALL(adapter, DeleteTask(_, _)).Times(0);
        dialog->OnTimer(kPoll);
        EXPECT_FALSE(dialog->IsTimerRunning()) << state;
        EXPECT_TRUE(dialog->isVisible()) << state;
        EXPECT_TRUE(prompts.Calls().empty()) << state;
        ::testing::Mock::VerifyAndClearExpectations(&adapter);
    }
}

}  // namespace
