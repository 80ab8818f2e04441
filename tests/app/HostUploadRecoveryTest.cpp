// A real flow through the host, the component, the engine and nimbra-diskd: three uploads, one paused by
// the user; the service goes away mid-transfer and comes back on the same port with the same data; the
// other two finish byte-identical without anyone pressing Start, the paused one stays paused, and a
// restarted client still knows it as paused.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <memory>
#include <sstream>

#include "EmbeddedService.h"
#include "EventLoopWait.h"
#include "GuiApp.h"
#include "HostSession.h"
#include "MainWindow.h"
#include "platform/CodePage.h"

using namespace nimbra::app;

namespace {

constexpr const char* kPassword = "pass";
constexpr const char* kUploadPath = "/lumenoApp/share/pc_uploadFileRequest";
// The creation carries the first 16 MiB and each later request as much again: a stopping service
// finishes the request it holds, and two are left that it no longer takes.
constexpr qint64 kFileSize = (48 << 20) + (1 << 20);
constexpr int kPauseButton = 10701;
constexpr int kTaskListId = 10630;
// The task list's columns.
constexpr int kNameColumn = 0;
constexpr int kProgressColumn = 2;
constexpr int kStatusColumn = 3;

QWidget* WidgetWithId(QWidget* root, int id) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (widget->property("ctrlId").toInt() == id)
            return widget;
    }
    return nullptr;
}

QWidget* TopLevelTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == title)
            return widget;
    }
    return nullptr;
}

std::string ComponentLog() {
    const std::string dir = qEnvironmentVariableIsSet("NIMBRA_LOG_DIR")
                                ? qEnvironmentVariable("NIMBRA_LOG_DIR").toStdString()
                                : QCoreApplication::applicationDirPath().toStdString();
    std::ifstream in(dir + "/Nimbra.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class HostUploadRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiApp();
        account = QString("host-recovery-%1").arg(QCoreApplication::applicationPid());
        ASSERT_TRUE(service.Start(NIMBRA_DISKD_PATH, DataDir(),
                                  {"--test-hooks", "--add-account", account + ":" + kPassword}))
            << service.Error().toStdString();
        port = QUrl(service.BaseUrl()).port();
        StartClient();
        for (const char* name : {"first.bin", "paused.bin", "third.bin"}) {
            QFile file(work.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            QByteArray bytes(kFileSize, Qt::Uninitialized);
            QRandomGenerator(qHash(QString(name)))
                .fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
            ASSERT_EQ(file.write(bytes), bytes.size());
            sha1[name] = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toStdString();
        }
    }
    void TearDown() override {
        StopClient();
        service.Stop();
        QDir(QString::fromStdString(ProgramDir()) + account).removeRecursively();
    }

    static std::string ProgramDir() { return QCoreApplication::applicationDirPath().toStdString() + "/"; }
    QString DataDir() const { return work.filePath("disk"); }

    void StartClient() {
        session = std::make_unique<HostSession>(ProgramDir(), "zh_CN");
        ASSERT_NE(session->LoadComponent(), nullptr) << session->ComponentError();
        window = std::make_unique<MainWindow>(*session);
        session->Offer(IID_IUICMainWnd, window.get());
        session->Offer(IID_IUICNetDisk, &window->Page());
        std::string error;
        ASSERT_TRUE(session->SignIn(service.BaseUrl().toStdString(), account.toStdString(), kPassword, error))
            << error;
        window->ShowSignedIn();
    }
    void StopClient() {
        if (!session)
            return;
        session->SignOut();
        session->Offer(IID_IUICMainWnd, nullptr);
        session->Offer(IID_IUICNetDisk, nullptr);
        window.reset();
        session.reset();
    }
    void StartServiceAgain() {
        ASSERT_TRUE(service.Start(NIMBRA_DISKD_PATH, DataDir(),
                                  {"--test-hooks", "--listen", QString("127.0.0.1:%1").arg(port)}))
            << service.Error().toStdString();
    }

    // Every upload request waits 2.5 s before the service takes it, so the uploads are under way, not
    // done, when the service goes.
    void SlowUploadsDown() {
        const ServiceReply reply = session->Client().PostForm(
            "/__test/fault", {{"hangMs", "2500"}, {"pathPrefix", kUploadPath}, {"count", "-1"}});
        ASSERT_TRUE(reply.Ok()) << reply.Describe();
    }

    // Starts the three uploads into a catalog of their own and shows the task list; the user pauses one at
    // once, before the service has taken any of its bytes. Returns once the service has confirmed the
    // first 16 MiB of the two others and holds their next request.
    void StartUploadsAndPauseOne() {
        catalogId = session->Disk().CreateCatalog("root", "Backup");
        NetDiskPage& page = window->Page();
        ASSERT_TRUE(page.Reload() && page.SelectCatalog(catalogId));
        SlowUploadsDown();
        ASSERT_NE(
            page.UploadToCurrent(
                {work.filePath("first.bin"), work.filePath("paused.bin"), work.filePath("third.bin")}, {}),
            -1);
        ASSERT_EQ(page.ShowUploadTasks(), 0);
        ASSERT_NO_FATAL_FAILURE(PauseInTheTransferList("paused.bin"));
        ASSERT_TRUE(WaitFor([&] { return Progress("first.bin") > 34 && Progress("third.bin") > 34; }))
            << Status("first.bin").toStdString() << " " << Status("third.bin").toStdString();
    }

    QTableWidget* TaskList() {
        QWidget* list = TopLevelTitled(ToQString("上传任务"));
        return list ? qobject_cast<QTableWidget*>(WidgetWithId(list, kTaskListId)) : nullptr;
    }
    int TaskRow(const QString& name) {
        QTableWidget* table = TaskList();
        for (int row = 0; table && row < table->rowCount(); ++row) {
            if (table->item(row, kNameColumn) && table->item(row, kNameColumn)->text() == name)
                return row;
        }
        return -1;
    }
    double Progress(const QString& name) {
        const int row = TaskRow(name);
        return row < 0 ? -1 : TaskList()->item(row, kProgressColumn)->text().remove('%').toDouble();
    }
    QString Status(const QString& name) {
        const int row = TaskRow(name);
        return row < 0 ? QString() : TaskList()->item(row, kStatusColumn)->text();
    }

    // The user selects the upload in the transfer list and presses Pause.
    void PauseInTheTransferList(const QString& name) {
        ASSERT_EQ(window->Page().ShowTransfers(), 0);
        QWidget* transfers = TopLevelTitled(ToQString("传输管理"));
        ASSERT_NE(transfers, nullptr);
        auto* view = transfers->findChild<QTableView*>();
        ASSERT_NE(view, nullptr);
        QAbstractItemModel* model = view->model();
        ASSERT_TRUE(
            WaitFor([&] { return !model->match(model->index(0, 2), Qt::DisplayRole, name).isEmpty(); }));
        const QModelIndex found = model->match(model->index(0, 2), Qt::DisplayRole, name).front();
        view->clearSelection();
        view->selectionModel()->select(found, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        auto* pause = qobject_cast<QPushButton*>(WidgetWithId(transfers, kPauseButton));
        ASSERT_NE(pause, nullptr);
        ASSERT_TRUE(pause->isEnabled());
        pause->click();
        ASSERT_TRUE(WaitFor([&] { return Status(name) == ToQString("已暂停"); }))
            << Status(name).toStdString();
    }

    // The two others are in their catalog with their bytes, the paused one is not, and still paused.
    void ExpectTheOthersFinishedAndThePausedOneWaits() {
        std::vector<DiskFile> files;
        ASSERT_TRUE(WaitFor([&] {
            std::string error;
            const auto listed = session->Disk().Files(catalogId, error);
            files = listed.value_or(std::vector<DiskFile>{});
            return files.size() >= 2;
        }));
        ASSERT_EQ(files.size(), 2u);
        for (const DiskFile& file : files) {
            ASSERT_TRUE(sha1.count(file.name)) << file.name;
            EXPECT_NE(file.name, "paused.bin");
            EXPECT_EQ(file.size, static_cast<uint64_t>(kFileSize)) << file.name;
            EXPECT_EQ(file.sha1, sha1[file.name]) << file.name;
        }
        EXPECT_EQ(Status("paused.bin"), ToQString("已暂停"));
    }

    // A restarted client finds the paused upload paused, and the id it stored on the service.
    void ExpectThePausedOneRememberedAfterARestart() {
        StopClient();
        StartClient();
        ASSERT_EQ(window->Page().ShowUploadTasks(), 0);
        ASSERT_TRUE(WaitFor([&] { return TaskRow("paused.bin") >= 0; }));
        EXPECT_EQ(Status("paused.bin"), ToQString("已暂停"));
        const ServiceReply stored = session->Client().Get("/lumenoApp/settings/UploadTaskInfo");
        ASSERT_TRUE(stored.Ok()) << stored.Describe();
        bool isNumber = false;
        EXPECT_GT(QString::fromStdString(stored.body).toLong(&isNumber), 0) << stored.body;
        EXPECT_TRUE(isNumber) << "one id, the paused upload's: " << stored.body;
    }

    QTemporaryDir work;
    EmbeddedService service;
    QString account;
    int port = 0;
    std::unique_ptr<HostSession> session;
    std::unique_ptr<MainWindow> window;
    std::string catalogId;
    std::map<std::string, std::string> sha1;
};

TEST_F(HostUploadRecoveryTest, UploadsCutOffByAServiceRestartFinishByThemselvesAndAPausedOneStaysPaused) {
    session->Network().Stop();  // only the engine's own tries bring them back here
    ASSERT_NO_FATAL_FAILURE(StartUploadsAndPauseOne());
    service.Stop();
    // Cut off: they wait for the engine's next try and say so.
    ASSERT_TRUE(WaitFor([&] { return Status("first.bin").contains(ToQString("秒后重试")); }))
        << Status("first.bin").toStdString();
    ASSERT_NO_FATAL_FAILURE(StartServiceAgain());
    ASSERT_NO_FATAL_FAILURE(ExpectTheOthersFinishedAndThePausedOneWaits());
    ASSERT_NO_FATAL_FAILURE(ExpectThePausedOneRememberedAfterARestart());
}

TEST_F(HostUploadRecoveryTest, TheHostTellsOfTheLostAndReturnedNetworkAndTheComponentContinuesTheUploads) {
    ASSERT_NO_FATAL_FAILURE(StartUploadsAndPauseOne());
    const std::string logBefore = ComponentLog();
    service.Stop();
    std::vector<bool> told;
    QObject::connect(&session->Network(), &NetworkWatcher::reachabilityChanged, window.get(),
                     [&](bool reachable) { told.push_back(reachable); });
    const auto probeUntilTold = [&](size_t count) {
        return WaitFor([&] {
            session->Network().Probe();
            return told.size() >= count;
        });
    };
    ASSERT_TRUE(probeUntilTold(1));
    EXPECT_FALSE(TaskList()->window()->isVisible());  // network lost: the component hid its windows
    ASSERT_NO_FATAL_FAILURE(StartServiceAgain());
    ASSERT_TRUE(probeUntilTold(2));
    EXPECT_EQ(told, (std::vector<bool>{false, true}));
    ASSERT_EQ(window->Page().ShowUploadTasks(), 0);
    ASSERT_NO_FATAL_FAILURE(ExpectTheOthersFinishedAndThePausedOneWaits());
    // The return went through the component: the engine synchronised, then the uploads that the loss had
    // stopped were continued (the engine's own tries ended when they were paused).
    ASSERT_TRUE(WaitFor([&] {
        const std::string log = ComponentLog().substr(logBefore.size());
        return Count(log, "Enter CUICUploadComp::OnNetworkState") >= 2 &&
               Count(log, "Enter CUIPUploadComp::SyncUploadTask") >= 1 &&
               Count(log, "Enter CUIPUploadComp::ContUpload") >= 2;
    }));
    ASSERT_NO_FATAL_FAILURE(ExpectThePausedOneRememberedAfterARestart());
}

}  // namespace
