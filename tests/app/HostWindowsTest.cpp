// The main window and the network-disk page against a real nimbra-diskd, without the component: the
// Flash requests are acted on, the component's absence is said plainly, skins switch the style sheet.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "EmbeddedService.h"
#include "FlashRequest.h"
#include "GuiApp.h"
#include "HostSession.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "function/ToolsHelp.h"
#include "host/Framework.h"
#include "platform/CodePage.h"

using namespace nimbra::app;

namespace {

// A program folder with the shipped language files and skins, but without the component.
void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + name, to + "/" + name);
}

class HostWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GuiApp();
        programDir = std::make_unique<QTemporaryDir>();
        CopyFolder(NIMBRA_RES_DIR "/lang", programDir->filePath("lang"));
        CopyFolder(NIMBRA_RES_DIR "/skins", programDir->filePath("skins"));
        service = std::make_unique<EmbeddedService>();
        ASSERT_TRUE(service->Start(NIMBRA_DISKD_PATH, programDir->filePath("disk"), {"--demo"}))
            << service->Error().toStdString();
    }
    static void TearDownTestSuite() {
        service.reset();
        programDir.reset();
    }
    void SetUp() override {
        session = std::make_unique<HostSession>(programDir->path().toStdString() + "/", "en");
        EXPECT_EQ(session->LoadComponent(), nullptr);
        window = std::make_unique<MainWindow>(*session);
        std::string error;
        ASSERT_TRUE(session->SignIn(service->BaseUrl().toStdString(), "demo", "demo", error)) << error;
        window->ShowSignedIn();
    }
    void TearDown() override {
        session->SignOut();
        window.reset();
        session.reset();
        // Each test starts without a style sheet, as the application does. (Qt 6.4 crashed in
        // setStyleSheet for a new window after several sheet changes had outlived an old one.)
        qApp->setStyleSheet({});
    }
    std::string CatalogIdNamed(const std::string& utf8Name) {
        std::string error;
        const auto nodes = session->Disk().Catalogs(error);
        const auto found = std::find_if(nodes->begin(), nodes->end(),
                                        [&](const CatalogNode& node) { return node.name == utf8Name; });
        return found == nodes->end() ? std::string() : found->id;
    }

    static std::unique_ptr<QTemporaryDir> programDir;
    static std::unique_ptr<EmbeddedService> service;
    std::unique_ptr<HostSession> session;
    std::unique_ptr<MainWindow> window;
};

std::unique_ptr<QTemporaryDir> HostWindowsTest::programDir;
std::unique_ptr<EmbeddedService> HostWindowsTest::service;

TEST_F(HostWindowsTest, WithoutTheComponentEveryUploadFeatureSaysSoAndTheHostGoesOn) {
    NetDiskPage& page = window->Page();
    EXPECT_FALSE(session->ComponentError().empty());
    EXPECT_EQ(page.ShowUploadDialog(), -1);
    const QString missing = session->Texts().Host("IDS_HOST_COMPONENT_MISSING");
    EXPECT_EQ(page.Notice(), missing);
    EXPECT_EQ(page.ShowTransfers(), -1);
    EXPECT_EQ(page.UploadToCurrent({"/etc/hostname"}, {}), -1);
    EXPECT_EQ(page.DownloadSelection(), -1);
    EXPECT_EQ(page.ChooseTargetCatalog(), -1);
    EXPECT_EQ(page.Notice(), missing);
    // The page itself still works.
    EXPECT_TRUE(page.Reload());
    EXPECT_EQ(page.CurrentCatalogId(), "root");
    EXPECT_FALSE(page.Files().empty());
}

TEST_F(HostWindowsTest, CatalogCreationRequestCreatesTheCatalogAndTheTreeShowsIt) {
    NetDiskPage& page = window->Page();
    const std::string request = CToolsHelp::ConstructFlashXml2(
        kFlashCreateCatalog, "<data><strPath>从文件夹上传</strPath><parent>10000000000011</parent></data>");
    std::string reply;
    ASSERT_EQ(page.CallFlash(request, reply), 0);
    const std::string id = CatalogIdNamed(Gb18030ToUtf8("从文件夹上传"));
    ASSERT_FALSE(id.empty());
    QApplication::processEvents();
    EXPECT_TRUE(page.SelectCatalog(id));
}

TEST_F(HostWindowsTest, RefreshAndTargetChoiceAreActedOn) {
    NetDiskPage& page = window->Page();
    const std::string created = session->Disk().CreateCatalog("root", "made elsewhere");
    ASSERT_NE(created, kCatalogNotCreated);
    EXPECT_FALSE(page.SelectCatalog(created));
    std::string reply;
    ASSERT_EQ(page.CallFlash(CToolsHelp::ConstructFlashXml2(kFlashRefresh, "-1"), reply), 0);
    ASSERT_EQ(page.CallFlash(CToolsHelp::ConstructFlashXml2(
                                 300001, "<data><targetid isshared=\"0\">" + created + "</targetid></data>"),
                             reply),
              0);
    EXPECT_EQ(page.CurrentCatalogId(), created);
    EXPECT_EQ(page.CallFlash("<invoke/>", reply), -1);
}

TEST_F(HostWindowsTest, ANewTargetCatalogIsMadeOnTheServiceAndSelectedOrItsFailureSaid) {
    NetDiskPage& page = window->Page();
    const auto choice = [](const std::string& parent, const std::string& name) {
        return CToolsHelp::ConstructFlashXml2(
            kFlashChooseTarget, "<data><targetid isshared=\"0\">-1</targetid><parent>" + parent +
                                    "</parent><strPath>" + name + "</strPath></data>");
    };
    std::string reply;
    ASSERT_EQ(page.CallFlash(choice("root", "新的目标"), reply), 0);
    const std::string id = CatalogIdNamed(Gb18030ToUtf8("新的目标"));
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(page.CurrentCatalogId(), id);
    EXPECT_TRUE(page.Notice().isEmpty());
    // A parent that is gone: nothing is made, and the user is told.
    ASSERT_EQ(page.CallFlash(choice("987654", "无处"), reply), 0);
    EXPECT_EQ(page.CurrentCatalogId(), id);
    EXPECT_EQ(
        page.Notice(),
        session->Texts().Host("IDS_HOST_CATALOG_NOT_CREATED").arg(QString::fromUtf8(Gb18030ToUtf8("无处"))));
}

TEST_F(HostWindowsTest, TheTargetChoiceIsOfferedAsAButtonAndInTheTreesContextMenu) {
    NetDiskPage& page = window->Page();
    const QString text = session->Texts().Host("IDS_HOST_BUTTON_TARGET");
    const auto buttons = page.findChildren<QPushButton*>();
    EXPECT_EQ(
        std::count_if(buttons.begin(), buttons.end(), [&](QPushButton* b) { return b->text() == text; }), 1);
    auto* tree = page.findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(tree->actions().size(), 1);
    EXPECT_EQ(tree->actions()[0]->text(), text);
    // Without the component, both say so.
    tree->actions()[0]->trigger();
    EXPECT_EQ(page.Notice(), session->Texts().Host("IDS_HOST_COMPONENT_MISSING"));
}

TEST_F(HostWindowsTest, SpaceNoticeAndUploadingFileReachTheUser) {
    window->Page().ShowSpaceInsufficient();
    EXPECT_EQ(window->Page().Notice(), session->Texts().Host("IDS_HOST_SPACE_INSUFFICIENT"));
    std::string reply;
    ASSERT_EQ(window->CallFlash(CToolsHelp::ConstructFlashXml("UploadingFile", {"报告.txt"}), reply), 0);
    EXPECT_TRUE(window->statusBar()->currentMessage().endsWith(QString::fromUtf8(Gb18030ToUtf8("报告.txt"))));
    EXPECT_EQ(window->CallFlash(CToolsHelp::ConstructFlashXml2(1, "x"), reply), -1);
}

TEST_F(HostWindowsTest, ApplySkinSwitchesTheStyleSheetOnlyToAnInstalledSkin) {
    // Purple is not shipped: it arrives as an archive from the service.
    qApp->setStyleSheet({});
    EXPECT_EQ(window->ApplySkin(1), -1);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    // Once the component has unpacked it, it applies; a downloaded skin also wins over a shipped one.
    for (const QString& name : {QString("purple"), QString("green")}) {
        QDir().mkpath(programDir->filePath("skin/" + name));
        QFile sheet(programDir->filePath("skin/" + name + "/skin.qss"));
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write(("QWidget { color: #123456; } /* " + name + " */").toUtf8());
    }
    EXPECT_EQ(window->ApplySkin(1), 0);
    EXPECT_EQ(qApp->styleSheet(), "QWidget { color: #123456; } /* purple */");
    EXPECT_EQ(window->ApplySkin(2), 0);
    EXPECT_EQ(qApp->styleSheet(), "QWidget { color: #123456; } /* green */");
    EXPECT_EQ(window->ApplySkin(8), 0);
    EXPECT_TRUE(qApp->styleSheet().contains("Sand"));
    // Ids the component does not know are the blue skin, as it names them.
    EXPECT_EQ(window->ApplySkin(42), 0);
    EXPECT_TRUE(qApp->styleSheet().contains("Classic blue"));
}

std::vector<uint32_t> g_notifications;
long RecordNotification(uint32_t id) {
    g_notifications.push_back(id);
    return 0;
}

TEST_F(HostWindowsTest, NetworkLossAndReturnAndSignOutReachTheComponentAsNotifications) {
    for (uint32_t id : {NTF_LOGIN_SUCCEEDED, NTF_LOGOUT, NTF_NETWORK_CONNECTED, NTF_NETWORK_DISCONNECTED})
        ASSERT_EQ(FW_ToCompSubNotify(id, RecordNotification), 0);
    g_notifications.clear();
    window->SimulateNetwork(false);
    EXPECT_EQ(window->Page().Notice(), session->Texts().Host("IDS_HOST_STATUS_OFFLINE"));
    EXPECT_EQ(window->Page().ShowUploadDialog(), -1) << "offline, the page still refuses plainly";
    window->SimulateNetwork(true);
    EXPECT_TRUE(window->Page().Notice().isEmpty());
    session->SignOut();
    std::string error;
    ASSERT_TRUE(session->SignIn(service->BaseUrl().toStdString(), "demo", "demo", error)) << error;
    EXPECT_EQ(g_notifications, (std::vector<uint32_t>{NTF_NETWORK_DISCONNECTED, NTF_NETWORK_CONNECTED,
                                                      NTF_LOGOUT, NTF_LOGIN_SUCCEEDED}));
}

TEST_F(HostWindowsTest, SwitchingLanguageRetranslatesTheWindow) {
    EXPECT_EQ(window->windowTitle(), "Nimbra network disk");
    window->SwitchLanguage("zh_CN");
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(Gb18030ToUtf8("Nimbra 网盘")));
    EXPECT_EQ(session->Texts().GetLangString("IDS_GLOBAL_BUTTON_OK", "GLOBAL"), "确定");
    window->SwitchLanguage("xx");
    EXPECT_EQ(session->Texts().Language(), "zh_CN");
}

TEST_F(HostWindowsTest, TheLoginDialogStaysOpenOnARefusalAndSignsInOnSuccess) {
    session->SignOut();
    LoginDialog dialog(*session, service->BaseUrl(), "demo");
    auto* password = dialog.findChildren<QLineEdit*>().at(2);
    password->setText("wrong");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(session->Login().SignedIn());
    password->setText("demo");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(session->Login().SignedIn());
}

}  // namespace
