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

#include "RealStack.h"
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
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {

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
        m_stack.Start(m_host, "transmit-flow", true);
        if (HasFatalFailure()) {
            return;
        }
        m_host.lang.texts[{"UPLOAD", "IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA"}] = "已上传(%d)";
        Services::SetSkin(&m_skin);
        Services::SetSound(&m_sound);
        m_component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(m_component, nullptr);
        m_component->Register();  // the host's login notification
    }

    void TearDown() override {
        m_stack.Stop();
        Services::SetSkin(nullptr);
        Services::SetSound(nullptr);
    }

    void Fault(const std::string& query) {
        const auto answer = m_stack.Client().Post("/__test/fault?" + query);
        ASSERT_TRUE(answer);
        ASSERT_EQ(204, answer->status);
    }

    tagUploadFileEntry Entry(const fs::path& path) const {
        tagUploadFileEntry entry;
        entry.strFilePath = Utf8ToGb18030(path.string());
        entry.ullFileSize = fs::file_size(path);
        return entry;
    }

    testhost::TestHost m_host;
    RealStack m_stack;
    ScriptedSkin m_skin;
    ScriptedSound m_sound;
    CUICUploadComp* m_component = nullptr;
};

TEST_F(TransmitEngineFlowTest, TwoUploadsOnePausedAndResumedBothEndInTheUploadedView) {
    const fs::path big = m_stack.Dir() / "big.bin";
    const fs::path small = m_stack.Dir() / "small.txt";
    WriteRandomFile(big, 24 << 20);
    WriteRandomFile(small, 3000);
    // The first appends are held back long enough to pause the big upload while it is under way.
    Fault(std::string("hangMs=1500&pathPrefix=/") + kRequestPath + "/&count=2");
    tagUploadInfo target;
    target.strHost = "127.0.0.1";
    target.nPort = m_stack.Port();
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
