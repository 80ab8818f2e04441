// DownloadFile over the real engine adapter, the real engine and a real nimbra-diskd on 127.0.0.1: a file
// put on the service comes back through the save dialog, byte for byte, into the transfer list's
// Downloaded view.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QApplication>
#include <QByteArray>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "RealStack.h"
#include "TestHost.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"

namespace fs = std::filesystem;

namespace {

std::string RandomBytes(size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Base64(const std::string& text) {
    return QByteArray::fromStdString(text).toBase64().toStdString();
}

class DownloadEngineFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stack.Start(m_host, "download-flow", false);
        if (HasFatalFailure()) {
            return;
        }
        m_component = m_stack.SignedInComponent();
        ASSERT_NE(m_component, nullptr);
    }
    void TearDown() override { m_stack.Stop(); }

    // Puts the bytes on the service in one tus creation request; the new file's id.
    std::string PutOnService(const std::string& name, const std::string& bytes) {
        httplib::Headers headers{
            {"Tus-Resumable", "1.0.0"},
            {"Upload-Length", std::to_string(bytes.size())},
            {"Upload-Metadata", "filename " + Base64(name) + ",parentCatalogId " + Base64("root") +
                                    ",appType " + Base64("0") + ",complexFlag " + Base64("0")}};
        const auto answer = m_stack.Client().Post("/lumenoApp/share/pc_uploadFileRequest", headers, bytes,
                                                  "application/offset+octet-stream");
        EXPECT_TRUE(answer && answer->status == 201) << (answer ? answer->body : "no answer");
        return answer ? answer->get_header_value("X-Nimbra-File-Id") : std::string();
    }

    testhost::TestHost m_host;
    RealStack m_stack;
    ScriptedDesktop m_desktop;
    CUICUploadComp* m_component = nullptr;
};

TEST_F(DownloadEngineFlowTest, AFileOnTheServiceComesBackIdenticalIntoTheDownloadedView) {
    const std::string bytes = RandomBytes((3 << 20) + 321);
    const std::string fileId = PutOnService("archive.tar.gz", bytes);
    ASSERT_FALSE(fileId.empty());
    // The user keeps the old name but types another extension; an old file of that name is in the way.
    const std::string folder = Utf8ToGb18030(m_stack.Dir().string()) + "/";
    const fs::path saved = Gb18030ToUtf8(folder + "备份.gz");
    std::ofstream(saved) << "an older copy";
    m_desktop.prompts.QueueSaveFile(folder + "备份.txt");
    const std::string url =
        "http://127.0.0.1:" + std::to_string(m_stack.Port()) + "/lumenoApp/file/" + fileId;
    ASSERT_EQ(0, m_component->DownloadFile("<DownloadList><File url=\"" + url +
                                           "\" name=\"archive.tar.gz\"/></DownloadList>"));

    CUICTransmitDlg* list = m_component->GetTransmitDlg();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->DownloadInfo().size(), 1u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (list->IsTimerRunning(CUICTransmitDlg::kDownloadTimer) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        list->OnTimer(CUICTransmitDlg::kDownloadTimer);
    }
    const tagFileInfo& record = list->DownloadInfo().begin()->second;
    EXPECT_EQ(record.nState, TASK_FINISHED) << record.strError;
    EXPECT_TRUE(ReadFile(saved) == bytes) << "the saved file holds other bytes";
    EXPECT_FALSE(fs::exists(Gb18030ToUtf8(folder + "备份.txt")));

    list->DisposePanelLeft(IDC_VIEW_DOWNLOADED);
    CTransferListModel* rows = list->ListModel();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->Text(0, 2), ToQString("备份.gz"));
    EXPECT_EQ(rows->Text(0, 3), "3.00 MB");
}

}  // namespace
