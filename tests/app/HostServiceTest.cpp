// The host's login, configuration, settings and network-disk components against a real nimbra-diskd
// started on 127.0.0.1 with the demo account.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "EmbeddedService.h"
#include "LoginSession.h"
#include "NetDiskClient.h"
#include "SettingsStore.h"
#include "SysConfig.h"
#include "platform/CodePage.h"

using namespace nimbra::app;

namespace {

class HostServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "host-service-test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication* app = new QCoreApplication(argc, argv);
        (void)app;
        dataDir = std::make_unique<QTemporaryDir>();
        service = std::make_unique<EmbeddedService>();
        ASSERT_TRUE(service->Start(NIMBRA_DISKD_PATH, dataDir->filePath("disk"), {"--demo", "--test-hooks"}))
            << service->Error().toStdString();
    }
    static void TearDownTestSuite() {
        service.reset();
        dataDir.reset();
    }
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(login.SignIn("demo", "demo", error)) << error;
    }

    static std::unique_ptr<QTemporaryDir> dataDir;
    static std::unique_ptr<EmbeddedService> service;
    ServiceClient client{service->BaseUrl().toStdString()};
    LoginSession login{client, {"Spam", Gb18030ToUtf8("赌博"), "a,b"}};  // the host reads words as UTF-8
    NetDiskClient disk{client};
};

std::unique_ptr<QTemporaryDir> HostServiceTest::dataDir;
std::unique_ptr<EmbeddedService> HostServiceTest::service;

TEST_F(HostServiceTest, SignInGivesTheComponentItsLoginDocumentAndTextsInItsCodePage) {
    EXPECT_TRUE(login.SignedIn());
    const std::string document = login.LoginDocument();
    EXPECT_NE(document.find("<uploadUrl>" + service->BaseUrl().toStdString() + "/lumenoApp/share/"),
              std::string::npos);
    std::string account, password, token;
    EXPECT_EQ(login.GetAccountInfo(account, password), 0);
    EXPECT_EQ(account, "demo");
    EXPECT_EQ(login.GetSelectedText(1, token), 0);
    EXPECT_EQ(token, login.GetLoginString());
    EXPECT_EQ(token, client.Token());
    EXPECT_EQ(login.GetSelectedText(5, token), -1);
    // Words are lower-cased so the component's case-folded match can find them; one holding the
    // separator is dropped rather than split into two words nobody listed.
    EXPECT_EQ(login.GetUnsafeWords(), "spam,赌博");

    SysConfig config(login);
    const tagSysConfig record = config.GetSysConfig();
    EXPECT_EQ(record.strUploadUrl, login.Result().uploadUrl);
    EXPECT_EQ(record.strSignOn, token);
}

TEST_F(HostServiceTest, WrongPasswordIsRefusedAndLeavesNobodySignedIn) {
    LoginSession other(client, {});
    std::string error;
    EXPECT_FALSE(other.SignIn("demo", "wrong", error));
    EXPECT_NE(error.find("9001"), std::string::npos) << error;
    EXPECT_FALSE(other.SignedIn());
    std::string account, password;
    EXPECT_EQ(other.GetAccountInfo(account, password), -1);
}

TEST_F(HostServiceTest, UpdateSignOnSignsInAgainWhenTheServiceRefusesTheToken) {
    const std::string expired = client.Token();
    ASSERT_TRUE(client.PostForm("/__test/expire-tokens", {}).Ok());
    EXPECT_EQ(disk.CatalogDocument().errorCode, 9476);
    std::string signOn = expired;
    ASSERT_EQ(login.UpdateSignOn(signOn), 0);
    EXPECT_NE(signOn, expired);
    EXPECT_EQ(signOn, client.Token());
    EXPECT_EQ(signOn, login.GetLoginString());
    EXPECT_TRUE(disk.CatalogDocument().Ok());

    // A valid token is kept as it is.
    std::string current = signOn;
    ASSERT_EQ(login.UpdateSignOn(current), 0);
    EXPECT_EQ(current, signOn);

    login.SignOut();
    EXPECT_EQ(login.UpdateSignOn(signOn), -1);
}

TEST_F(HostServiceTest, SettingsAreStoredForTheAccountAndOddNamesRefused) {
    SettingsStore settings(client);
    ASSERT_EQ(settings.StoreValue("UploadTaskInfo", {4, 5, 6}), 0);
    const ServiceReply stored = client.Get("/lumenoApp/settings/UploadTaskInfo");
    ASSERT_TRUE(stored.Ok()) << stored.Describe();
    EXPECT_EQ(stored.body, "4,5,6");
    EXPECT_EQ(settings.StoreValue("../catalog", {1}), -1);
    EXPECT_EQ(settings.StoreValue("", {1}), -1);
    login.SignOut();
    EXPECT_EQ(settings.StoreValue("UploadTaskInfo", {1}), -1);
}

TEST_F(HostServiceTest, CatalogsAndFilesComeFromTheService) {
    std::string error;
    const auto catalogs = disk.Catalogs(error);
    ASSERT_TRUE(catalogs) << error;
    ASSERT_FALSE(catalogs->empty());
    EXPECT_EQ(catalogs->front().id, "root");
    const auto myFolder = std::find_if(catalogs->begin(), catalogs->end(), [](const CatalogNode& node) {
        return node.name == Gb18030ToUtf8("我的文件夹");
    });
    ASSERT_NE(myFolder, catalogs->end());
    const auto files = disk.Files(myFolder->id, error);
    ASSERT_TRUE(files) << error;
    ASSERT_EQ(files->size(), 1u);
    const ServiceReply bytes = disk.FileBytes(files->front().id);
    ASSERT_TRUE(bytes.Ok());
    EXPECT_EQ(bytes.body.size(), files->front().size);
    EXPECT_FALSE(disk.Files("999999", error));
}

TEST_F(HostServiceTest, TheComponentGetsTheCatalogDocumentWithResultAsItsDocumentElement) {
    const ServiceReply reply = disk.CatalogDocument();
    ASSERT_TRUE(reply.Ok());
    const auto document = CatalogDocumentForComponent(reply.body);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->rfind("<result resultCode=\"0\">", 0), 0u) << *document;
    for (const char* element : {"<uploadUrl>", "<getWholeCatalog>", "<MaxUploadFilesNumber>", "<SpareSize>"})
        EXPECT_NE(document->find(element), std::string::npos) << element;
    EXPECT_FALSE(CatalogDocumentForComponent("<root><other/></root>"));
    EXPECT_FALSE(CatalogDocumentForComponent("<root><result"));
}

TEST_F(HostServiceTest, CatalogCreationAnswersAnIdOrTheRefusalTheComponentKnows) {
    const std::string id = disk.CreateCatalog("10000000000011", Gb18030ToUtf8("新目录"));
    ASSERT_NE(id, kCatalogNotCreated);
    EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << id;
    // Same name again, a missing parent and a name the service refuses: never an error code as an id.
    EXPECT_EQ(disk.CreateCatalog("root", Gb18030ToUtf8("新目录")), kCatalogNotCreated);
    EXPECT_EQ(disk.CreateCatalog("987654", "x"), kCatalogNotCreated);
    EXPECT_EQ(disk.CreateCatalog("root", "a/b"), kCatalogNotCreated);
    login.SignOut();
    EXPECT_EQ(disk.CreateCatalog("root", "later"), kCatalogNotCreated);
}

}  // namespace
