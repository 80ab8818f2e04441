// A crawler download over the real engine adapter, engine and nimbra-diskd, given up in its dialog while
// the service holds the transfer back: the engine task and its partial file go, a file the user had at
// the path stays, and the next download of the kind opens a dialog again.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "RealStack.h"
#include "TestHost.h"
#include "function/DialogItem.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/download/UICPrgDlg.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {

CUICPrgDlg* VisibleCrawlerDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CUICPrgDlg*>(widget); dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

template <class Condition>
bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class WatchedDownloadEngineFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stack.Start(m_host, "watched-flow", true);
        if (HasFatalFailure()) {
            return;
        }
        m_component = m_stack.SignedInComponent();
        ASSERT_NE(m_component, nullptr);
        m_host.Offer(IID_IUICUpload, m_component);
        const fs::path served = m_stack.Dir() / "service" / "static" / "crawler" / "setup.deb";
        fs::create_directories(served.parent_path());
        std::ofstream(served, std::ios::binary) << std::string(2 << 20, 'c');
        m_url = "http://127.0.0.1:" + std::to_string(m_stack.Port()) + "/static/crawler/setup.deb";
    }
    void TearDown() override { m_stack.Stop(); }

    // The engine's download tasks, by id.
    static FileInfoMap Downloads() {
        FileInfoMap tasks;
        CreateUIInstance<IUIPUpload>()->GetTaskList(0, tasks);
        return tasks;
    }

    testhost::TestHost m_host;
    RealStack m_stack;
    ScriptedDesktop m_desktop;
    CUICUploadComp* m_component = nullptr;
    std::string m_url;
};

TEST_F(WatchedDownloadEngineFlowTest, CancelMidWayLeavesNeitherTaskNorPartialFileAndKeepsTheUsersFile) {
    // The service holds the transfer back long enough to give it up while it runs.
    ASSERT_EQ(m_stack.Client()
                  .Post("/__test/fault", "pathPrefix=/static/&hangMs=2000&count=1",
                        "application/x-www-form-urlencoded")
                  ->status,
              204);
    const fs::path target = m_stack.Dir() / "setup.deb";
    std::ofstream(target) << "the user's own file";
    ASSERT_EQ(m_component->DownloadNetreptile(m_url, Utf8ToGb18030(target.string())), 0);
    CUICPrgDlg* dialog = VisibleCrawlerDialog();
    ASSERT_NE(dialog, nullptr);
    const int32_t id = dialog->Info()->nFileID;
    ASSERT_EQ(Downloads().count(id), 1u);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(target.string() + ".part"); }));
    dialog->OnTimer(CDownloadWatchDlg::kPollTimer);
    EXPECT_NE(dialog->Info()->nState, TASK_FINISHED);

    qobject_cast<QPushButton*>(GetDlgItem(dialog, IDC_BUTTON_PRG_CANCEL))->click();
    EXPECT_EQ(Downloads().count(id), 0u);
    EXPECT_FALSE(fs::exists(target.string() + ".part"));
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the user's own file");
    EXPECT_EQ(CUICPrgDlg::IsDownloading(), 0);

    // Nothing holds the kind back any more; this one runs to its end.
    const fs::path second = m_stack.Dir() / "again.deb";
    ASSERT_EQ(m_component->DownloadNetreptile(m_url, Utf8ToGb18030(second.string())), 0);
    CUICPrgDlg* next = VisibleCrawlerDialog();
    ASSERT_NE(next, nullptr);
    ASSERT_NE(next, dialog);
    ASSERT_TRUE(WaitFor([&] {
        next->OnTimer(CDownloadWatchDlg::kPollTimer);
        return !next->IsPolling();
    }));
    EXPECT_EQ(next->Info()->nState, TASK_FINISHED);
    EXPECT_EQ(fs::file_size(second), 2u << 20);
    EXPECT_TRUE(m_desktop.skin.Tips().empty());
    next->close();
}

}  // namespace
