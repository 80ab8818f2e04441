// Loads libUIUpload.so the way a host does and drives it through its exported entry points only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <thread>

#include "TestHost.h"
#include "host/Framework.h"
#include "host/IUICUpload.h"

namespace {

struct Library {
    void* handle = nullptr;
    XSCInitializeFn initialize = nullptr;
    XSCQueryInterfaceFn queryInterface = nullptr;
    XSCCmdCallBackFn cmdCallBack = nullptr;
    XSCNtfCallBackFn ntfCallBack = nullptr;
    XSCInformationFn information = nullptr;
    XSCUninitializeFn uninitialize = nullptr;
};

// The host lives as long as the process: the library keeps the interfaces it looked up.
testhost::TestHost* g_host = nullptr;

Library& Component() {
    static Library library = [] {
        Library l;
        l.handle = dlopen("libUIUpload.so", RTLD_NOW | RTLD_LOCAL);
        if (!l.handle) {
            ADD_FAILURE() << dlerror();
            return l;
        }
        l.initialize = reinterpret_cast<XSCInitializeFn>(dlsym(l.handle, "XSCInitialize"));
        l.queryInterface = reinterpret_cast<XSCQueryInterfaceFn>(dlsym(l.handle, "XSCQueryInterface"));
        l.cmdCallBack = reinterpret_cast<XSCCmdCallBackFn>(dlsym(l.handle, "XSCCmdCallBack"));
        l.ntfCallBack = reinterpret_cast<XSCNtfCallBackFn>(dlsym(l.handle, "XSCNtfCallBack"));
        l.information = reinterpret_cast<XSCInformationFn>(dlsym(l.handle, "XSCInformation"));
        l.uninitialize = reinterpret_cast<XSCUninitializeFn>(dlsym(l.handle, "XSCUninitialize"));
        return l;
    }();
    return library;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// XSCCmdCallBack logs its entry and exit and nothing else; every call is counted.
size_t g_cmdCallBacks = 0;

long CmdCallBack() {
    ++g_cmdCallBacks;
    return Component().cmdCallBack();
}

// The component's log so far, for checking which operations a notification reached. Entries reach the file
// behind the caller but in order: the log is complete once the exit of one more XSCCmdCallBack is in it.
std::string ComponentLog() {
    CmdCallBack();
    const std::string path = std::string(std::getenv("NIMBRA_LOG_DIR")) + "/Nimbra.txt";
    std::string text;
    for (int attempt = 0; attempt < 500; ++attempt) {
        std::ifstream in(path);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (Count(text, "Exit Function XSCCmdCallBack") >= g_cmdCallBacks) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return text;
}

class EntryPointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Component().handle, nullptr);
        FW_Reset();
        g_host->Offer(IID_IUICMainWnd, &g_host->mainWnd);
        g_host->Offer(IID_IUICNetDisk, &g_host->netDisk);
        g_host->Offer(IID_IUICLogin, &g_host->login);
        g_host->Offer(IID_IUISysConfig, &g_host->sysConfig);
        g_host->Offer(IID_IUICSet, &g_host->settings);
        g_host->Offer(IID_IORVALang, &g_host->lang);
    }
    static std::vector<uint32_t> Subscriptions() {
        std::vector<uint32_t> ids;
        FW_GetSubscriptions(&ids);
        return ids;
    }
};

TEST_F(EntryPointsTest, OnlyTheEntryPointsAreExported) {
    const Library& l = Component();
    EXPECT_TRUE(l.initialize && l.queryInterface && l.cmdCallBack && l.ntfCallBack && l.information &&
                l.uninitialize);
    EXPECT_EQ(dlsym(l.handle, "_Z24RegisterComponentClassesv"), nullptr);
    EXPECT_EQ(dlsym(l.handle, "FW_ToCompSubNotify"), dlsym(RTLD_DEFAULT, "FW_ToCompSubNotify"));
}

TEST_F(EntryPointsTest, InitializeCopiesTheRecordAndSubscribesInOrder) {
    EXPECT_EQ(Component().initialize(nullptr), -1);
    EXPECT_TRUE(Subscriptions().empty());

    unsigned char record[32] = {1, 2, 3};
    EXPECT_EQ(Component().initialize(record), 0);
    EXPECT_EQ(Subscriptions(), (std::vector<uint32_t>{0x10001000, 0x10001, 0x10002, 0x10007, 0x10006}));
}

TEST_F(EntryPointsTest, InitializeSucceedsEvenWhenEverySubscriptionFailsAndLogsEachFailureInOrder) {
    FW_SetOfferedNotifications([](uint32_t) { return false; });
    const size_t logged = ComponentLog().size();
    unsigned char record[32] = {};
    EXPECT_EQ(Component().initialize(record), 0);
    EXPECT_TRUE(Subscriptions().empty());
    const std::string log = ComponentLog().substr(logged);
    size_t at = 0;
    for (const char* failure :
         {"Error = FW_ToCompSubNotify订阅插件注销消息失败", "Error = FW_ToCompSubNotify订阅登录成功消息失败",
          "Error = FW_ToCompSubNotify订阅注销消息失败", "Error = FW_ToCompSubNotify订阅网络断开消息失败",
          "Error = FW_ToCompSubNotify订阅网络连通消息失败"}) {
        at = log.find(failure, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << failure;
    }
}

TEST_F(EntryPointsTest, QueryInterfaceHandsOutTheComponentOnlyForItsIdentifier) {
    std::vector<IUSBase*> list;
    EXPECT_EQ(Component().queryInterface(&IID_IUICLogin, &list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(Component().queryInterface(nullptr, &list), 0);
    EXPECT_EQ(Component().queryInterface(&IID_IUICUpload, nullptr), 0);

    ASSERT_EQ(Component().queryInterface(&IID_IUICUpload, &list), 1);
    ASSERT_EQ(list.size(), 1u);
    // The host casts the base pointer down, across the library boundary.
    auto* upload = dynamic_cast<IUICUpload*>(list[0]);
    ASSERT_NE(upload, nullptr);
    EXPECT_EQ(upload->DoComponent(), 2);
    EXPECT_EQ(upload->CreateComponent(0), -1);
    EXPECT_EQ(upload->IsFileOnUploading(), 0);
    // Bad input from the host is refused, never a crash.
    EXPECT_EQ(upload->InitUIP(std::string(8 << 20, '<')), -1);
    EXPECT_EQ(upload->InitUIP("<result><uploadUrl>" + std::string(1 << 20, 'h') + "</uploadUrl></result>"),
              -1);
    EXPECT_EQ(upload->OnEventHandle(0, 0, 0), -1);
    EXPECT_EQ(upload->OnComponentNotify(3004, 0, 0), 0);
}

TEST_F(EntryPointsTest, NotificationsReachTheOperationsTheyStandFor) {
    struct Case {
        uint32_t id;
        std::vector<const char*> reached;
    };
    const std::vector<Case> cases = {
        {0x10001, {"Enter CUICUploadComp::Register"}},
        {0x10002, {"Enter CUICUploadComp::Deregister", "Enter CUICUploadComp::Clean"}},
        {0x10004, {"Enter CUICUploadComp::Deregister", "Enter CUICUploadComp::Clean"}},
        {0x10007, {"Enter CUICUploadComp::OnNetworkState"}},
        {0x10006, {"Enter CUICUploadComp::OnNetworkState"}},
    };
    const char* const all[] = {"Enter CUICUploadComp::Register", "Enter CUICUploadComp::Deregister",
                               "Enter CUICUploadComp::Clean", "Enter CUICUploadComp::OnNetworkState"};
    for (const Case& c : cases) {
        const std::string before = ComponentLog();
        EXPECT_EQ(Component().ntfCallBack(c.id), 0x40000002);
        const std::string after = ComponentLog();
        for (const char* operation : all) {
            const bool expected =
                std::find(c.reached.begin(), c.reached.end(), std::string_view(operation)) != c.reached.end();
            EXPECT_EQ(Count(after, operation) - Count(before, operation), expected ? 1u : 0u)
                << std::hex << c.id << " " << operation;
        }
    }
    // Deregistration and unknown ids reach nothing.
    for (uint32_t id : {0x10001000u, 0x12345u}) {
        const std::string before = ComponentLog();
        EXPECT_EQ(Component().ntfCallBack(id), 0x40000002);
        const std::string after = ComponentLog();
        for (const char* operation : all) {
            EXPECT_EQ(Count(after, operation), Count(before, operation))
                << std::hex << id << " " << operation;
        }
    }
}

TEST_F(EntryPointsTest, NotificationsAreAnsweredForEveryId) {
    for (uint32_t id : {0x10001000u, 0x10001u, 0x10002u, 0x10004u, 0x10006u, 0x10007u, 0x12345u}) {
        EXPECT_EQ(Component().ntfCallBack(id), 0x40000002) << std::hex << id;
    }
    EXPECT_EQ(CmdCallBack(), 0x40000002);
    // Delivered by the framework too.
    unsigned char record[32] = {};
    ASSERT_EQ(Component().initialize(record), 0);
    EXPECT_EQ(FW_DeliverNotify(0x10002), 1);
}

TEST_F(EntryPointsTest, InformationRecordIsFilledAtItsOffsets) {
    EXPECT_EQ(Component().information(nullptr), -1);
    tagXSCInformation info;
    std::memset(&info, 0xCC, sizeof info);
    info.nHostField = 0xABCD;
    ASSERT_EQ(Component().information(&info), 0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    auto at = [&](size_t offset) {
        int32_t value;
        std::memcpy(&value, bytes + offset, 4);
        return value;
    };
    EXPECT_EQ(at(0), 0xABCD);
    EXPECT_EQ(at(4), 308);
    EXPECT_EQ(at(8), 0);
    EXPECT_EQ(at(12), 1);
    EXPECT_EQ(at(16), 2006);
    EXPECT_EQ(at(20), 12);
    EXPECT_EQ(at(24), 18);
    EXPECT_EQ(at(28), 2005);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 32), "Tarvik");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 96), "上传模块组件");
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(bytes + 96)), 12u);  // GB18030: two bytes a character
}

TEST_F(EntryPointsTest, UninitializeSubscribesTheDeregistrationOnceMore) {
    EXPECT_EQ(Component().uninitialize(), 0);
    EXPECT_EQ(Subscriptions(), (std::vector<uint32_t>{0x10001000}));
}

}  // namespace

int main(int argc, char** argv) {
    // The component logs into its own folder, read back by the tests.
    char logDir[] = "/tmp/nimbra-entry-points-XXXXXX";
    if (!mkdtemp(logDir)) {
        return 1;
    }
    setenv("NIMBRA_LOG_DIR", logDir, 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testhost::TestHost host;
    g_host = &host;
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(logDir);
    return result;
}
