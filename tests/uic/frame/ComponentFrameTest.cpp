#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uip/UIPUpload/IUIPUpload.h"
#include "xml/XML.h"

namespace {

using ::testing::_;
using ::testing::Return;

const char kLoginDoc[] =
    "<root><result resultCode=\"0\"><uploadUrl>http://disk.example:8080/lumenoApp/share/pc_uploadFileRequest"
    "</uploadUrl></result></root>";

// Each test gets a fresh component, a fresh scripted host and a mock adapter in the class factory.
class ComponentFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_IOrvaLange = nullptr;
        component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(component, nullptr);
    }
    void TearDown() override {
        UISingleton<CUICUploadComp>::Destroy();
        g_IOrvaLange = nullptr;
    }

    testhost::TestHost host;
    ::testing::StrictMock<MockUIPUpload> adapter;
    ScopedAdapterInstall adapterInstall{&adapter};
    CUICUploadComp* component = nullptr;
};

TEST_F(ComponentFrameTest, InitUipBindsTheAdapterWithTheParsedAddressAndLoginString) {
    EXPECT_CALL(adapter, Init("lumenoApp/share/pc_uploadFileRequest", "disk.example", 8080, "login-ticket"))
        .WillOnce(Return(0));
    EXPECT_CALL(adapter, SyncUploadTask()).WillOnce(Return(0));
    EXPECT_EQ(component->InitUIP(kLoginDoc), 0);
    EXPECT_EQ(component->InitParam(), kLoginDoc);
    // The result element may also be the document's top element.
    EXPECT_CALL(adapter, Init(_, "h2", 81, _)).WillOnce(Return(0));
    EXPECT_CALL(adapter, SyncUploadTask()).WillOnce(Return(0));
    EXPECT_EQ(component->InitUIP("<result><uploadUrl>http://h2:81/p</uploadUrl></result>"), 0);
}

TEST_F(ComponentFrameTest, InitUipRefusesDocumentsWithoutAUsableAddress) {
    // No uploadUrl: the document is kept, nothing else happens.
    EXPECT_EQ(component->InitUIP("<root><result resultCode=\"0\"/></root>"), -1);
    EXPECT_EQ(component->InitParam(), "<root><result resultCode=\"0\"/></root>");
    EXPECT_EQ(component->InitUIP(
                  "<root><result><uploadUrl>http://disk.example/lumenoApp</uploadUrl></result></root>"),
              -1);
    EXPECT_EQ(component->InitUIP("not xml <<"), -1);
    EXPECT_EQ(component->InitUIP(""), -1);
}

TEST_F(ComponentFrameTest, InitUipFailsWithoutLoginAndWhenTheAdapterRefuses) {
    host.Withdraw(IID_IUICLogin);
    EXPECT_EQ(component->InitUIP(kLoginDoc), -1);
    host.Offer(IID_IUICLogin, &host.login);
    EXPECT_CALL(adapter, Init(_, _, _, _)).WillOnce(Return(-1));
    EXPECT_EQ(component->InitUIP(kLoginDoc), -1);
}

TEST_F(ComponentFrameTest, RegisterInitialisesTheAdapterAndRepeatsTheLastInitUip) {
    // Each login also lists the account's upload tasks in the task list.
    EXPECT_CALL(adapter, GetTaskList(1, _)).WillRepeatedly(Return(0));
    EXPECT_CALL(adapter, InitUIPComp()).WillOnce(Return(0));
    component->Register();  // before any InitUIP: only the adapter is initialised
    ::testing::Mock::VerifyAndClearExpectations(&adapter);
    EXPECT_NE(component->GetUploadTaskMngDlg(), nullptr);

    EXPECT_CALL(adapter, GetTaskList(1, _)).WillRepeatedly(Return(0));

    EXPECT_CALL(adapter, Init(_, "disk.example", 8080, _)).Times(2).WillRepeatedly(Return(0));
    EXPECT_CALL(adapter, SyncUploadTask()).Times(2).WillRepeatedly(Return(0));
    EXPECT_CALL(adapter, InitUIPComp()).WillOnce(Return(0));
    ASSERT_EQ(component->InitUIP(kLoginDoc), 0);
    component->Register();
}

TEST_F(ComponentFrameTest, ParseUrlAcceptsOnlyAnExplicitPortAndPath) {
    std::string host;
    std::string path;
    long port = 0;
    ASSERT_TRUE(CUICUploadComp::ParseUrl("http://10.1.2.3:8080/lumenoApp/share/pc_uploadFileRequest", host,
                                         port, path));
    EXPECT_EQ(host, "10.1.2.3");
    EXPECT_EQ(port, 8080);
    EXPECT_EQ(path, "lumenoApp/share/pc_uploadFileRequest");
    EXPECT_TRUE(CUICUploadComp::ParseUrl("http://h:81/", host, port, path));
    EXPECT_EQ(path, "");
    EXPECT_TRUE(CUICUploadComp::ParseUrl("http://h:x/p", host, port, path));
    EXPECT_EQ(port, 0);
    EXPECT_FALSE(CUICUploadComp::ParseUrl("http://h/lumenoApp", host, port, path));
    EXPECT_FALSE(CUICUploadComp::ParseUrl("http://h:8080", host, port, path));
    EXPECT_FALSE(CUICUploadComp::ParseUrl("https://h:8080/p", host, port, path));
    EXPECT_FALSE(CUICUploadComp::ParseUrl("", host, port, path));
    // The scheme is cut at a fixed length from the start, wherever it stands.
    ASSERT_TRUE(CUICUploadComp::ParseUrl("xxhttp://h:1/p", host, port, path));
    EXPECT_EQ(host, "//h");
}

TEST_F(ComponentFrameTest, EventZeroSendsTheUploadingFileRequestToTheMainWindow) {
    host.mainWnd.flashStatus = 42;
    EXPECT_EQ(component->OnEventHandle(0, reinterpret_cast<WPARAM>("照片.jpg"), 0), 42);
    ASSERT_EQ(host.mainWnd.flashRequests.size(), 1u);
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(host.mainWnd.flashRequests[0]));
    ASSERT_TRUE(xml.FindElem("invoke"));
    EXPECT_EQ(xml.GetAttrib("name"), "UploadingFile");

    EXPECT_EQ(component->OnEventHandle(0, 0, 0), -1);
    host.Withdraw(IID_IUICMainWnd);
    EXPECT_EQ(component->OnEventHandle(0, reinterpret_cast<WPARAM>("a"), 0), -1);
    EXPECT_EQ(host.mainWnd.flashRequests.size(), 1u);
}

TEST_F(ComponentFrameTest, EventResultsFollowTheirType) {
    // Events 1, 2 and 6 open the transfer list, which loads the engine's task lists.
    EXPECT_CALL(adapter, InitUIPComp()).WillRepeatedly(Return(0));
    EXPECT_CALL(adapter, GetTaskList(_, _)).WillRepeatedly(Return(0));
    FileInfoList batch(1);
    const auto batchParam = reinterpret_cast<WPARAM>(&batch);
    EXPECT_EQ(component->OnEventHandle(1, batchParam, 0), 0);
    EXPECT_EQ(component->OnEventHandle(6, batchParam, 0), 0);
    tagFileInfo record;
    EXPECT_EQ(component->OnEventHandle(2, reinterpret_cast<WPARAM>(&record), 0), 0);
    EXPECT_EQ(component->OnEventHandle(4, reinterpret_cast<WPARAM>(&record), 0), -1);
    EXPECT_EQ(component->OnEventHandle(5, reinterpret_cast<WPARAM>(&record), 0), -1);
    EXPECT_EQ(component->OnEventHandle(7, 0, 0), -1);
    EXPECT_EQ(component->OnEventHandle(-3, 0, 0), -1);
}

TEST_F(ComponentFrameTest, ComponentNotifyTellsTheMainWindowAndAnswersByNotification) {
    std::string download = "<DownloadList/>";
    // Before the transfer list exists the main window is told first, and must be there.
    host.Withdraw(IID_IUICMainWnd);
    EXPECT_EQ(component->OnComponentNotify(3004, reinterpret_cast<WPARAM>(download.c_str()), 0), -1);
    host.Offer(IID_IUICMainWnd, &host.mainWnd);
    // The notification opens the transfer list, which loads the engine's task lists.
    EXPECT_CALL(adapter, InitUIPComp()).WillRepeatedly(Return(0));
    EXPECT_CALL(adapter, GetTaskList(_, _)).WillRepeatedly(Return(0));
    EXPECT_EQ(component->OnComponentNotify(3004, reinterpret_cast<WPARAM>(download.c_str()), 0), 0);
    ASSERT_EQ(host.mainWnd.window.messages.size(), 1u);
    EXPECT_EQ(host.mainWnd.window.messages[0].message, 0x0BBEu);
    EXPECT_EQ(host.mainWnd.window.messages[0].wParam, 0u);

    std::string path = "/tmp/a.txt";
    std::string target = "http://h:1/";
    EXPECT_EQ(component->OnComponentNotify(3005, reinterpret_cast<WPARAM>(path.c_str()),
                                           reinterpret_cast<LPARAM>(target.c_str())),
              0);
    EXPECT_EQ(component->OnComponentNotify(3005, 0, 0), 0);
    EXPECT_EQ(component->OnComponentNotify(1234, 0, 0), -1);

    // Once the transfer list exists the main window is no longer needed.
    host.Withdraw(IID_IUICMainWnd);
    EXPECT_EQ(component->OnComponentNotify(3004, reinterpret_cast<WPARAM>(download.c_str()), 0), 0);
    EXPECT_EQ(host.mainWnd.window.messages.size(), 1u);
}

TEST_F(ComponentFrameTest, StartUploadSendsFreshEntriesAndTheConfiguredSignOn) {
    UploadFileList files(2);
    files[0].strFilePath = "/data/a.bin";
    files[0].ullFileSize = 5ull << 32;  // over 4 GiB stays whole
    files[0].strFileID = "stale";
    files[0].ullDoneSize = 77;
    files[1].strFilePath = "/data/b.jpg";
    files[1].nMiniatureFlag = 1;
    tagUploadInfo target;
    target.nAppType = 3;
    target.strHost = "h";
    target.nPort = 81;
    target.strRequestPath = "p";
    target.strSSOKey = "caller-key";
    target.strTargetCatalogID = "10000000000011";
    target.strTag = "tag";
    target.strNewCatalogName = "new";
    host.sysConfig.config.strSignOn = "configured-key";

    EXPECT_CALL(adapter, StartUpload(_, _, 1))
        .WillOnce([&](UploadFileList& sent, const tagUploadInfo& info, long) {
            EXPECT_EQ(sent.size(), 2u);
            EXPECT_EQ(sent[0].strFilePath, "/data/a.bin");
            EXPECT_EQ(sent[0].ullFileSize, 5ull << 32);
            EXPECT_EQ(sent[0].strFileID, "");
            EXPECT_EQ(sent[0].ullDoneSize, 0u);
            EXPECT_EQ(sent[1].nMiniatureFlag, 1);
            EXPECT_EQ(info.strSSOKey, "configured-key");
            EXPECT_EQ(info.nAppType, 3);
            EXPECT_EQ(info.strHost, "h");
            EXPECT_EQ(info.nPort, 81);
            EXPECT_EQ(info.strRequestPath, "p");
            EXPECT_EQ(info.strTargetCatalogID, "10000000000011");
            EXPECT_EQ(info.strTag, "tag");
            EXPECT_EQ(info.strNewCatalogName, "new");
            return 0;
        });
    EXPECT_EQ(component->StartUpload(files, target, 1), 0);
}

TEST_F(ComponentFrameTest, StartUploadStartsNothingWithoutLoginOrConfiguration) {
    host.Withdraw(IID_IUISysConfig);
    EXPECT_EQ(component->StartUpload(UploadFileList(1), tagUploadInfo{}, 0), 0);
    host.Offer(IID_IUISysConfig, &host.sysConfig);
    host.Withdraw(IID_IUICLogin);
    EXPECT_EQ(component->StartUpload(UploadFileList(1), tagUploadInfo{}, 0), 0);
}

TEST_F(ComponentFrameTest, CrawlerAndNewFileDownloadsGoToTheAdapterWithTheirKinds) {
    EXPECT_CALL(adapter, DownloadFile("http://h:1/f", "/tmp/f", 4, -1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, DownloadFile("http://h:1/g", "/tmp/g", 5, -1)).WillOnce(Return(-1));
    EXPECT_EQ(component->DownloadNetreptile("http://h:1/f", "/tmp/f"), 0);
    EXPECT_EQ(component->DownloadNewFile("http://h:1/g", "/tmp/g"), 0);
}

TEST_F(ComponentFrameTest, FixedAnswersAndReferenceCounting) {
    EXPECT_EQ(component->CreateComponent(5), -1);
    EXPECT_EQ(component->DoComponent(), 2);
    EXPECT_EQ(component->GetComponentHwnd(), nullptr);
    EXPECT_EQ(component->IsFileOnUploading(), 0);
    EXPECT_EQ(component->GetUICUploadDlg(), nullptr);
    EXPECT_EQ(component->GetUploadTaskMngDlg(), nullptr);

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(component->QueryInterface(IID_IUICLogin, &out), 0);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(component->QueryInterface(IID_IUICUpload, &out), 1);
    EXPECT_EQ(out, static_cast<IUICUpload*>(component));
    EXPECT_EQ(component->AddRef(), 2);
    EXPECT_EQ(component->Release(), 1);
    // The last release destroys the singleton; the next request makes a new one.
    EXPECT_EQ(component->Release(), 0);
    EXPECT_EQ(UISingleton<CUICUploadComp>::Existing(), nullptr);
    component = CreateUIInstance<CUICUploadComp>();
    EXPECT_NE(component, nullptr);
}

TEST_F(ComponentFrameTest, LogoutAndCleanReachTheAdapter) {
    EXPECT_CALL(adapter, UninitUIPComp()).WillOnce(Return(0));
    EXPECT_CALL(adapter, Clean()).WillOnce(Return(0));
    component->Deregister();
    EXPECT_EQ(component->Clean(), 0);
}

}  // namespace
