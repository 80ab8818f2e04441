// The crawler and new-file downloads through the component, with the scripted prompts, skin, shell and
// editor, the test host and a mock engine adapter that reports each download as the real one does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "digest/EditorCredential.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "platform/CodePage.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedShell.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/download/DownFileDlg.h"
#include "uic/UICUploadFile/download/ToneEditor.h"
#include "uic/UICUploadFile/download/UICPrgDlg.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"

namespace {

using ::testing::_;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

constexpr const char* kTicket = "http://127.0.0.1:9 0f1e2d3c4b5a";
constexpr const char* kEditorUnreachable = "Error:组件调用失败,请重启Lirra或者重新卸载安装Tonevo！";

// The editor as the new-file dialog reaches it: it opens the credential as the real one does.
struct EditorRecord {
    std::vector<std::string> credentials;  // opened with the account's key
    std::vector<std::string> opened;
    long loginResult = 0;
    bool reachable = true;
    std::function<void()> onLogin;
};

class ScriptedEditor final : public IToneEditor {
public:
    explicit ScriptedEditor(EditorRecord& record) : m_record(record) {}
    long Login(const std::string& account, const std::string& credential) override {
        m_record.credentials.push_back(
            OpenEditorCredential(account, credential).value_or("(sealed wrongly)"));
        if (m_record.onLogin) {
            m_record.onLogin();
        }
        return m_record.loginResult;
    }
    void Open(const std::string& path) override { m_record.opened.push_back(path); }

private:
    EditorRecord& m_record;
};

template <class Dialog>
std::vector<Dialog*> VisibleDialogs() {
    std::vector<Dialog*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible()) {
            found.push_back(dialog);
        }
    }
    return found;
}

bool Deleted(QPointer<QWidget> widget) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return widget.isNull();
}

class WatchedDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        g_IOrvaLange = &host.lang;
        Services::SetPrompts(&prompts);
        Services::SetSkin(&skin);
        Services::SetShell(&shell);
        SetToneEditorFactory([this]() -> std::unique_ptr<IToneEditor> {
            return editor.reachable ? std::make_unique<ScriptedEditor>(editor) : nullptr;
        });
        component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(component, nullptr);
        host.Offer(IID_IUICUpload, component);
        host.login.account = "张三";
        host.login.selectedTexts[7] = kTicket;
        // The adapter reports each download before DownloadFile returns, as the real one does.
        ON_CALL(adapter, DownloadFile(_, _, _, _))
            .WillByDefault(Invoke([this](const std::string&, const std::string& path, long kind, LPARAM) {
                tagFileInfo record = Record(++m_lastId, "");
                record.strFilePath = path;
                return component->OnEventHandle(kind, reinterpret_cast<WPARAM>(&record), -1);
            }));
        ON_CALL(adapter, InitUIPComp()).WillByDefault(Return(0));
    }
    void TearDown() override {
        UISingleton<CUICUploadComp>::Destroy();
        SetToneEditorFactory({});
        Services::SetPrompts(nullptr);
        Services::SetSkin(nullptr);
        Services::SetShell(nullptr);
        g_IOrvaLange = nullptr;
    }

    std::string Path(const char* name) const { return FromQString(m_dir.filePath(name)); }
    tagFileInfo Record(int32_t id, const char* name) const {
        tagFileInfo record;
        record.nFileID = id;
        record.strFilePath = Path(name);
        record.nState = TASK_WAITING;
        return record;
    }
    void WriteFile(const char* name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadFile(const char* name) const {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    // The next progress polls answer these percentages and states, in order.
    void ScriptProgress(std::vector<std::pair<long, int32_t>> answers) {
        auto queue = std::make_shared<std::deque<std::pair<long, int32_t>>>(answers.begin(), answers.end());
        ON_CALL(adapter, GetDownLOadProgress(_, _))
            .WillByDefault(Invoke([queue](long& percent, tagFileInfo& info) {
                if (!queue->empty()) {
                    std::tie(percent, info.nState) = queue->front();
                    queue->pop_front();
                }
                return 0L;
            }));
    }
    template <class Dialog>
    Dialog* TheDialog() {
        const auto dialogs = VisibleDialogs<Dialog>();
        EXPECT_EQ(dialogs.size(), 1u);
        return dialogs.empty() ? nullptr : dialogs.front();
    }
    static std::string Text(QWidget* dialog, int id) {
        return FromQString(qobject_cast<QLabel*>(GetDlgItem(dialog, id))->text());
    }
    static int Bar(QWidget* dialog, int id) {
        return qobject_cast<QProgressBar*>(GetDlgItem(dialog, id))->value();
    }
    static void Tick(CDownloadWatchDlg* dialog) { dialog->OnTimer(CDownloadWatchDlg::kPollTimer); }

    QTemporaryDir m_dir;
    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall install{&adapter};
    testhost::TestHost host;
    ScriptedPrompts prompts;
    ScriptedSkin skin;
    ScriptedShell shell;
    EditorRecord editor;
    CUICUploadComp* component = nullptr;
    int32_t m_lastId = 40;
};

TEST_F(WatchedDownloadTest, ACompleteCrawlerOffersNextWhichRunsTheInstallerAndCloses) {
    ScriptProgress({{45, TASK_RUNNING}, {100, TASK_FINISHED}});
    ASSERT_EQ(component->DownloadNetreptile("/static/crawler/setup.deb", Path("setup.deb")), 0);
    CUICPrgDlg* dialog = TheDialog<CUICPrgDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FromQString(dialog->windowTitle()), "正在下载网络爬虫");
    EXPECT_EQ(CUICPrgDlg::IsDownloading(), 1);
    EXPECT_EQ(dialog->PollPeriod(), 800u);
    EXPECT_TRUE(GetDlgItem(dialog, IDC_BUTTON_PRG_NEXT)->isHidden());

    Tick(dialog);
    EXPECT_EQ(Bar(dialog, IDC_PROGRESS_PRG), 45);
    EXPECT_EQ(Text(dialog, IDC_STATIC_PRG_PERCENT), "45 %");
    Tick(dialog);  // the poll that learns the task is complete
    Tick(dialog);
    EXPECT_EQ(Bar(dialog, IDC_PROGRESS_PRG), 100);
    EXPECT_FALSE(GetDlgItem(dialog, IDC_BUTTON_PRG_NEXT)->isHidden());
    EXPECT_EQ(Text(dialog, IDC_STATIC_PRG_PERCENT), "下载完成,点击下一步开始安装…");
    EXPECT_FALSE(dialog->IsPolling());

    WriteFile("setup.deb", "installer bytes");
    // A complete download is no longer the dialog's to delete.
    EXPECT_CALL(adapter, DeleteTask(_, _)).Times(0);
    QPointer<QWidget> watched = dialog;
    qobject_cast<QPushButton*>(GetDlgItem(dialog, IDC_BUTTON_PRG_NEXT))->click();
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{Path("setup.deb")});
    EXPECT_TRUE(prompts.Calls().empty());
    EXPECT_EQ(CUICPrgDlg::IsDownloading(), 0);
    EXPECT_TRUE(Deleted(watched));
    EXPECT_EQ(ReadFile("setup.deb"), "installer bytes");
}

TEST_F(WatchedDownloadTest, NextOnAnEmptyOrMissingInstallerShowsTheErrorBoxAndStillCloses) {
    for (const bool missing : {false, true}) {
        prompts.ClearCalls();
        if (!missing) {
            WriteFile("empty.deb", "");
        }
        ScriptProgress({{100, TASK_FINISHED}});
        component->DownloadNetreptile("u", Path(missing ? "missing.deb" : "empty.deb"));
        CUICPrgDlg* dialog = TheDialog<CUICPrgDlg>();
        ASSERT_NE(dialog, nullptr);
        Tick(dialog);
        Tick(dialog);
        QPointer<QWidget> watched = dialog;
        dialog->OnBnClickedNext();
        ASSERT_EQ(prompts.Calls().size(), 1u) << missing;
        const ScriptedPrompts::Call& box = prompts.Calls().front();
        EXPECT_EQ(box.owner, watched.data());
        EXPECT_EQ(box.text, "请检查是否正确下载网络爬虫！");
        EXPECT_EQ(box.caption, "安装网络爬虫出错");
        EXPECT_EQ(box.type, MB_OK | MB_ICONWARNING);
        EXPECT_TRUE(shell.Opened().empty());
        EXPECT_EQ(CUICPrgDlg::IsDownloading(), 0);
        EXPECT_TRUE(Deleted(watched));
    }
}

TEST_F(WatchedDownloadTest, CancelMidWayDeletesTheTaskAndTheFileItMadeButNeverAFileThatWasThere) {
    // Two downloads cancelled in turn: one into a fresh path, one onto a file the user had.
    WriteFile("old.wav", "the user's own tone");
    ScriptProgress({{30, TASK_RUNNING}, {60, TASK_RUNNING}});
    EXPECT_CALL(adapter, DeleteTask(41, 0));
    EXPECT_CALL(adapter, DeleteTask(42, 0));

    component->DownloadNewFile("u1", Path("new.wav"));
    CDownFileDlg* first = TheDialog<CDownFileDlg>();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Text(first, IDC_STATIC_DOWNFILE), "正在打开：new.wav");
    Tick(first);
    EXPECT_EQ(Bar(first, IDC_PROGRESS_DOWNFILE), 30);
    WriteFile("new.wav", "part of a tone");  // what the download has made so far
    QPointer<QWidget> watched = first;
    qobject_cast<QPushButton*>(GetDlgItem(first, IDOK))->click();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("new.wav")));
    EXPECT_EQ(CDownFileDlg::IsDownloading(), 0);
    EXPECT_TRUE(Deleted(watched));

    // Another download of the kind opens a dialog again; closing its window cancels it too.
    component->DownloadNewFile("u2", Path("old.wav"));
    CDownFileDlg* second = TheDialog<CDownFileDlg>();
    ASSERT_NE(second, nullptr);
    Tick(second);
    second->close();
    EXPECT_EQ(ReadFile("old.wav"), "the user's own tone");
    EXPECT_EQ(CDownFileDlg::IsDownloading(), 0);
    EXPECT_TRUE(skin.Tips().empty());
    EXPECT_TRUE(editor.opened.empty());
}

TEST_F(WatchedDownloadTest, ASecondDownloadWhileBusyShowsTheTipOpensNothingAndLeavesNoTaskRunning) {
    component->DownloadNetreptile("u", Path("setup.deb"));
    component->DownloadNewFile("u", Path("a.wav"));
    ASSERT_EQ(VisibleDialogs<CUICPrgDlg>().size(), 1u);
    ASSERT_EQ(VisibleDialogs<CDownFileDlg>().size(), 1u);

    // Asked through the component: nothing reaches the engine.
    EXPECT_CALL(adapter, DownloadFile(_, _, _, _)).Times(0);
    EXPECT_EQ(component->DownloadNetreptile("u", Path("setup2.deb")), 0);
    EXPECT_EQ(component->DownloadNewFile("u", Path("b.wav")), 0);
    // Reported by the engine all the same: the task goes, and only that one.
    EXPECT_CALL(adapter, DeleteTask(77, 0));
    EXPECT_CALL(adapter, DeleteTask(78, 0));
    const tagFileInfo crawler = Record(77, "setup3.deb");
    const tagFileInfo tone = Record(78, "c.wav");
    EXPECT_EQ(component->OnEventHandle(4, reinterpret_cast<WPARAM>(&crawler), 0), -1);
    EXPECT_EQ(component->OnEventHandle(5, reinterpret_cast<WPARAM>(&tone), 0), -1);

    EXPECT_EQ(VisibleDialogs<CUICPrgDlg>().size(), 1u);
    EXPECT_EQ(VisibleDialogs<CDownFileDlg>().size(), 1u);
    std::vector<std::string> tips;
    for (const ScriptedSkin::Tip& tip : skin.Tips()) {
        tips.push_back(tip.text);
    }
    EXPECT_EQ(tips, (std::vector<std::string>{"您的网络爬虫正在下载！", "有文件正在下载！",
                                              "您的网络爬虫正在下载！", "有文件正在下载！"}));
    EXPECT_EQ(skin.Tips().front().point, QCursor::pos());
}

TEST_F(WatchedDownloadTest, ACompleteNewFileGoesToTheSignedInEditorAndTheDialogHidesKeepingTheFile) {
    ScriptProgress({{100, TASK_FINISHED}});
    component->DownloadNewFile("u", Path("bell.wav"));
    CDownFileDlg* dialog = TheDialog<CDownFileDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FromQString(dialog->windowTitle()), "打开文件");
    Tick(dialog);
    WriteFile("bell.wav", "RIFF....WAVE");
    EXPECT_CALL(adapter, DeleteTask(41, 0));
    QPointer<QWidget> watched = dialog;
    // The editor may take its time (or a message box may wait): the poll must not hand the file over again.
    bool pollingDuringLogin = true;
    editor.onLogin = [&] { pollingDuringLogin = dialog->IsPolling(); };
    Tick(dialog);
    EXPECT_FALSE(pollingDuringLogin);
    EXPECT_EQ(editor.credentials, std::vector<std::string>{kTicket});
    EXPECT_EQ(editor.opened, std::vector<std::string>{Path("bell.wav")});
    EXPECT_FALSE(watched->isVisible());
    EXPECT_EQ(ReadFile("bell.wav"), "RIFF....WAVE");
    EXPECT_TRUE(prompts.Calls().empty());
    // Its work done, the dialog goes: the next new file opens a dialog of its own.
    EXPECT_TRUE(Deleted(watched));
    component->DownloadNewFile("u", Path("chime.wav"));
    EXPECT_EQ(VisibleDialogs<CDownFileDlg>().size(), 1u);
    EXPECT_TRUE(skin.Tips().empty());
}

TEST_F(WatchedDownloadTest, AFailedDownloadClosesTheDialogAndTheNewFileOneSaysSo) {
    ScriptProgress({{10, TASK_FAILED}, {10, TASK_FAILED}});
    EXPECT_CALL(adapter, DeleteTask(41, 0));
    EXPECT_CALL(adapter, DeleteTask(42, 0));
    component->DownloadNetreptile("u", Path("setup.deb"));
    CUICPrgDlg* crawler = TheDialog<CUICPrgDlg>();
    ASSERT_NE(crawler, nullptr);
    Tick(crawler);
    Tick(crawler);
    EXPECT_FALSE(crawler->isVisible());
    EXPECT_EQ(CUICPrgDlg::IsDownloading(), 0);
    EXPECT_TRUE(prompts.Calls().empty());

    component->DownloadNewFile("u", Path("a.wav"));
    CDownFileDlg* tone = TheDialog<CDownFileDlg>();
    ASSERT_NE(tone, nullptr);
    Tick(tone);
    Tick(tone);
    EXPECT_FALSE(tone->isVisible());
    EXPECT_EQ(FromQString(tone->windowTitle()), "打开文件失败！");
    EXPECT_EQ(CDownFileDlg::IsDownloading(), 0);
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls().front().text, "打开文件失败！");
    EXPECT_EQ(prompts.Calls().front().type, MB_OK);
    EXPECT_TRUE(editor.credentials.empty());
}

TEST_F(WatchedDownloadTest, SigningInToTheEditorAloneOpensNothingUnlessAskedAndFailuresAreQuietButOne) {
    // A non-zero flag signs in only; 0 also brings the editor up with an empty path.
    EXPECT_EQ(component->OpenDIYFile(1), 0);
    EXPECT_EQ(editor.credentials, std::vector<std::string>{kTicket});
    EXPECT_TRUE(editor.opened.empty());
    EXPECT_EQ(component->OpenDIYFile(0), 0);
    EXPECT_EQ(editor.opened, std::vector<std::string>{""});

    // A refused login is silent and opens nothing.
    editor.loginResult = -1;
    component->OpenDIYFile(0);
    EXPECT_EQ(editor.opened.size(), 1u);
    EXPECT_TRUE(prompts.Calls().empty());

    // Without the host's credential nothing is tried.
    host.login.selectedTexts.erase(7);
    component->OpenDIYFile(0);
    EXPECT_EQ(editor.credentials.size(), 3u);
    EXPECT_EQ(host.login.selectorsAsked.back(), 7);

    // An editor that cannot be reached is the one failure the user is told of.
    host.login.selectedTexts[7] = kTicket;
    editor.reachable = false;
    component->OpenDIYFile(0);
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls().front().text, kEditorUnreachable);
    EXPECT_EQ(prompts.Calls().front().owner, nullptr);
}

TEST_F(WatchedDownloadTest, TheCrawlerDialogIsDraggedByAnyPoint) {
    component->DownloadNetreptile("u", Path("setup.deb"));
    CUICPrgDlg* dialog = TheDialog<CUICPrgDlg>();
    ASSERT_NE(dialog, nullptr);
    const QPoint start = dialog->pos();
    const QPoint inside(30, 70);
    const QPoint grabbed = dialog->mapToGlobal(inside);
    QMouseEvent press(QEvent::MouseButtonPress, inside, grabbed, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(dialog, &press);
    QMouseEvent drag(QEvent::MouseMove, inside, grabbed + QPoint(40, 25), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(dialog, &drag);
    EXPECT_EQ(dialog->pos(), start + QPoint(40, 25));
}

}  // namespace
