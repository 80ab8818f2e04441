// The transfer list over the real engine adapter, the real engine and a real nimbra-diskd on 127.0.0.1:
// two uploads started through the component, one paused and resumed from the list, both finished and
// moved to the Uploaded view with the counter on its button.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QTableView>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <random>
#include <thread>

#include "TestHost.h"
#include "engine/OrvULD.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/ComBase.h"
#include "platform/ScriptedSkin.h"
#include "platform/ScriptedSound.h"
#include "platform/Services.h"
#include "service/DiskService.h"
#include "uic/UICUploadFile/Resource.h"
#include "uic/UICUploadFile/TransferListModel.h"
#include "uic/UICUploadFile/UICTransmitDlg.h"
#include "uic/UICUploadFile/UICUploadComp.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPassword = "secret";
constexpr const char* kRequestPath = "lumenoApp/share/pc_uploadFileRequest";

void WriteRandomFile(const fs::path& path, size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class TransmitEngineFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlopen(NIMBRA_ORVUC_PATH, RTLD_NOW | RTLD_LOCAL) &&
                    dlopen(NIMBRA_ORVULD_PATH, RTLD_NOW | RTLD_LOCAL))
            << dlerror();
        char dir[] = "/tmp/nimbra-transmit-flow-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(dir));
        m_dir = dir;
        nimbra::service::ServiceOptions options;
        options.dataDir = m_dir / "service";
        options.testHooks = true;
        m_service = std::make_unique<nimbra::service::DiskService>(options);
        ASSERT_TRUE(m_service->Start()) << m_service->LastError();
        m_account = "transmit-flow-" + std::to_string(getpid());
        ASSERT_TRUE(m_service->AddAccount(m_account, kPassword, int64_t{2} << 30));
        httplib::Client client("127.0.0.1", m_service->Port());
        const auto answer =
            client.Post("/lumenoApp/login", httplib::Params{{"account", m_account}, {"password", kPassword}});
        ASSERT_TRUE(answer);
        pugi::xml_document doc;
        doc.load_string(answer->body.c_str());
        const std::string token = doc.select_node("/root/result/signOn").node().text().as_string();
        ASSERT_FALSE(token.empty());
        m_host.login.loginString = token;
        m_host.sysConfig.config = {"http://127.0.0.1:" + std::to_string(m_service->Port()) + "/", token};
        m_host.lang.texts[{"UPLOAD", "IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA"}] = "已上传(%d)";

        ComPtr<OrvULD::IOrvGlobals> globals;
        ASSERT_EQ(S_OK, CEngineActivation::Engine().CreateInstance(OrvULD::CLSID_OrvGlobals,
                                                                   OrvULD::IID_IOrvGlobals, globals));
        globals->SetVariable(OrvULD::D_GLOBAL_USERNAME, m_account);
        g_IOrvaLange = nullptr;
        Services::SetSkin(&m_skin);
        Services::SetSound(&m_sound);
        RegisterComponentClasses();
        m_component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(m_component, nullptr);
        m_component->Register();  // the host's login notification
    }

    void TearDown() override {
        if (IUIPUpload* adapter = CreateUIInstance<IUIPUpload>()) {
            adapter->Clean();
        }
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetSkin(nullptr);
        Services::SetSound(nullptr);
        g_IOrvaLange = nullptr;
        if (m_service) {
            m_service->Stop();
        }
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
        fs::remove_all(Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + m_account, ignored);
    }

    void Fault(const std::string& query) {
        httplib::Client client("127.0.0.1", m_service->Port());
        const auto answer = client.Post("/__test/fault?" + query);
        ASSERT_TRUE(answer);
        ASSERT_EQ(204, answer->status);
    }

    tagUploadFileEntry Entry(const fs::path& path) const {
        tagUploadFileEntry entry;
        entry.strFilePath = Utf8ToGb18030(path.string());
        entry.ullFileSize = fs::file_size(path);
        return entry;
    }

    fs::path m_dir;
    std::unique_ptr<nimbra::service::DiskService> m_service;
    std::string m_account;
    testhost::TestHost m_host;
    ScriptedSkin m_skin;
    ScriptedSound m_sound;
    CUICUploadComp* m_component = nullptr;
};

TEST_F(TransmitEngineFlowTest, TwoUploadsOnePausedAndResumedBothEndInTheUploadedView) {
    const fs::path big = m_dir / "big.bin";
    const fs::path small = m_dir / "small.txt";
    WriteRandomFile(big, 24 << 20);
    WriteRandomFile(small, 3000);
    // The first appends are held back long enough to pause the big upload while it is under way.
    Fault(std::string("hangMs=1500&pathPrefix=/") + kRequestPath + "/&count=2");
    tagUploadInfo target;
    target.strHost = "127.0.0.1";
    target.nPort = m_service->Port();
    target.strRequestPath = kRequestPath;
    target.strTargetCatalogID = ROOT_CATALOG_ID;
    ASSERT_EQ(0, m_component->StartUpload({Entry(big), Entry(small)}, target, 0));

    CUICTransmitDlg* list = m_component->GetTransmitDlg();
    ASSERT_NE(list, nullptr);
    CTransferListModel* rows = list->ListModel();
    ASSERT_EQ(rows->rowCount(), 2);
    ASSERT_EQ(rows->Text(0, 2), "big.bin");
    list->List()->selectRow(0);
    list->DisposePanelTop(IDC_BUTTON_PAUSE);
    const int32_t bigId = rows->Record(0)->nFileID;
    EXPECT_EQ(list->UploadInfo().at(bigId).nState, TASK_PAUSED);
    EXPECT_EQ(rows->Image(0), 5);
    list->DisposePanelTop(IDC_BUTTON_START);
    EXPECT_EQ(list->UploadInfo().at(bigId).nState, TASK_RUNNING);

    // The list's own refresh, once a second in the application, as fast as the engine allows here.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (list->IsTimerRunning(CUICTransmitDlg::kUploadTimer) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        list->OnTimer(CUICTransmitDlg::kUploadTimer);
    }
    for (const auto& [id, record] : list->UploadInfo()) {
        EXPECT_EQ(record.nState, TASK_FINISHED) << record.strFilePath << " " << record.strError;
        EXPECT_EQ(record.strProgress, "100.0%");
    }
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_EQ(m_sound.Played().size(), 2u);
    EXPECT_EQ(GetDlgItem(list, IDC_VIEW_UPLOADED)->property("text").toString(), ToQString("已上传(2)"));
    list->DisposePanelLeft(IDC_VIEW_UPLOADED);
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->Text(0, 3), "24.00 MB");
}

}  // namespace
