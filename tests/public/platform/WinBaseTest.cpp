// The registry of live windows: every window reads its texts once, on the user-interface thread, and a
// window that is gone is never called.
#include <gtest/gtest.h>

#include <QThread>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "CoreApp.h"
#include "platform/WinBase.h"

namespace {

struct Window final : SC_ORVA::IWinBase {
    Window(std::vector<int>& calls, int id) : calls(calls), id(id) {}
    bool SetLanguage() override {
        calls.push_back(id);
        thread = QThread::currentThread();
        if (onSetLanguage) {
            onSetLanguage();
        }
        return true;
    }
    bool PostDestroyWin() override { return true; }

    std::vector<int>& calls;
    int id;
    QThread* thread = nullptr;
    std::function<void()> onSetLanguage;
};

TEST(WinBaseTest, EveryLiveWindowReadsItsTextsOnceInTheOrderItJoined) {
    std::vector<int> calls;
    auto first = std::make_unique<Window>(calls, 1);
    auto second = std::make_unique<Window>(calls, 2);
    auto gone = std::make_unique<Window>(calls, 3);
    auto closedMeanwhile = std::make_unique<Window>(calls, 4);
    Window neverShown(calls, 5);
    for (Window* window : {first.get(), second.get(), gone.get(), closedMeanwhile.get(), first.get()}) {
        SC_ORVA::RegisterWindow(window);
    }
    gone.reset();
    // The second window's new texts close another window before its turn.
    second->onSetLanguage = [&] { closedMeanwhile.reset(); };
    SC_ORVA::SetLanguageOfAllWindows();
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));

    calls.clear();
    SC_ORVA::UnregisterWindow(first.get());
    SC_ORVA::SetLanguageOfAllWindows();
    EXPECT_EQ(calls, std::vector<int>{2});
}

TEST(WinBaseTest, ACallFromAnotherThreadRunsOnTheUserInterfaceThread) {
    QCoreApplication& app = CoreApp();
    std::vector<int> calls;
    Window window(calls, 1);
    SC_ORVA::RegisterWindow(&window);
    std::thread([] { SC_ORVA::SetLanguageOfAllWindows(); }).join();
    EXPECT_TRUE(calls.empty());
    app.processEvents();
    EXPECT_EQ(calls, std::vector<int>{1});
    EXPECT_EQ(window.thread, app.thread());
}

}  // namespace
