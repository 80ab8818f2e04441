// The host's watch on the service: a loss is told after two unanswered requests in a row and the return
// after one answered, and real requests tell a running nimbra-diskd from a stopped one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QUrl>
#include <vector>

#include "EmbeddedService.h"
#include "NetworkWatcher.h"

using namespace nimbra::app;

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "network-watcher-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}

class NetworkWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        QObject::connect(&watcher, &NetworkWatcher::reachabilityChanged, &watcher,
                         [this](bool reachable) { changes.push_back(reachable); });
    }
    // Asks again and again, the event loop turning, until the watcher reports a change; false when a
    // minute passes first (a guard against hanging, no timing check).
    bool ProbeUntilChanged() {
        const size_t before = changes.size();
        const QDeadlineTimer deadline(std::chrono::minutes(1));
        while (changes.size() == before && !deadline.hasExpired()) {
            watcher.Probe();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return changes.size() > before;
    }

    NetworkWatcher watcher;
    std::vector<bool> changes;
};

TEST_F(NetworkWatcherTest, ALossNeedsTwoMissesInARowAndOneAnswerBringsItBack) {
    watcher.OnProbeOutcome(false);
    watcher.OnProbeOutcome(true);  // a blip
    watcher.OnProbeOutcome(false);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(watcher.Reachable());
    watcher.OnProbeOutcome(false);
    EXPECT_EQ(changes, std::vector<bool>{false});
    watcher.OnProbeOutcome(false);  // still lost: told once
    EXPECT_EQ(changes, std::vector<bool>{false});
    watcher.OnProbeOutcome(true);
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
    EXPECT_TRUE(watcher.Reachable());
}

TEST_F(NetworkWatcherTest, RequestsTellAStoppedServiceFromOneStartedAgainOnTheSamePort) {
    QTemporaryDir data;
    EmbeddedService service;
    ASSERT_TRUE(service.Start(NIMBRA_DISKD_PATH, data.filePath("disk"), {})) << service.Error().toStdString();
    const int port = QUrl(service.BaseUrl()).port();
    watcher.Start(service.BaseUrl());
    watcher.Probe();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 200);
    EXPECT_TRUE(changes.empty());  // answered: nothing to tell

    service.Stop();
    ASSERT_TRUE(ProbeUntilChanged());
    EXPECT_EQ(changes, std::vector<bool>{false});

    ASSERT_TRUE(service.Start(NIMBRA_DISKD_PATH, data.filePath("disk"),
                              {"--listen", QString("127.0.0.1:%1").arg(port)}))
        << service.Error().toStdString();
    ASSERT_TRUE(ProbeUntilChanged());
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
    watcher.Stop();
}

}  // namespace
