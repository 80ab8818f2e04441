// The embedded service starts on a free loopback port and never outlives the host that started it.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>
#include <csignal>

#include "EmbeddedService.h"
#include "ServiceClient.h"

using namespace nimbra::app;

namespace {

bool Answers(const std::string& url) {
    return ServiceClient(url).Get("/lumenoApp/catalog").status != 0;
}

TEST(EmbeddedService, ReportsWhereItListensAndStopsWithTheHost) {
    QProcess host;
    host.start(NIMBRA_SERVICE_HOLDER, {NIMBRA_DISKD_PATH});
    ASSERT_TRUE(host.waitForReadyRead(15000)) << host.readAllStandardError().toStdString();
    const std::string url = host.readLine().trimmed().toStdString();
    ASSERT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << url;
    EXPECT_TRUE(Answers(url));

    // Killed outright: no destructor runs, yet the service goes with it.
    ::kill(static_cast<pid_t>(host.processId()), SIGKILL);
    ASSERT_TRUE(host.waitForFinished(5000));
    const QDeadlineTimer deadline(10000);
    while (Answers(url) && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_FALSE(Answers(url)) << "nimbra-diskd outlived its host";
}

TEST(EmbeddedService, AProgramThatDoesNotStartIsReported) {
    EmbeddedService service;
    EXPECT_FALSE(service.Start("/nonexistent/nimbra-diskd", QDir::tempPath() + "/unused", {}));
    EXPECT_FALSE(service.Error().isEmpty());
    EXPECT_TRUE(service.BaseUrl().isEmpty());
}

}  // namespace
