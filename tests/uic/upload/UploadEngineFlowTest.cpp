// The upload dialog over the real engine adapter, the real engine and a real nimbra-diskd on 127.0.0.1:
// the catalog document as the service sends it, files chosen and uploaded from the dialog, the batch
// reaching the transfer list, the dialog's own tick following the tasks to the end, and the files with
// their tag, description and thumbnail arriving in the chosen catalog.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <QImage>
#include <QTextEdit>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <thread>

#include "RealStack.h"
#include "TestHost.h"
#include "UploadTestTexts.h"
#include "engine/OrvULD.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/ComBase.h"
#include "service/DiskService.h"
#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {

class UploadEngineFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stack.Start(m_host, "upload-flow", false);
        if (HasFatalFailure()) {
            return;
        }
        UseKeyNamesAsUploadTexts(m_host.lang);
        m_component = m_stack.SignedInComponent();
        ASSERT_NE(m_component, nullptr);
    }

    void TearDown() override { m_stack.Stop(); }

    httplib::Client Client() const { return m_stack.Client(); }

    // A catalog under the top one; its id.
    std::string CreateCatalog(const std::string& name) {
        const auto answer = Client().Post("/lumenoApp/catalog/create",
                                          httplib::Params{{"parent", "root"}, {"name", Gb18030ToUtf8(name)}});
        EXPECT_TRUE(answer && answer->status == 200);
        pugi::xml_document doc;
        doc.load_string(answer ? answer->body.c_str() : "");
        return doc.select_node("//catalogID").node().text().as_string();
    }

    // The files of a catalog as the service lists them: name (UTF-8) -> the file's node.
    pugi::xml_document Files(const std::string& catalogId) {
        pugi::xml_document doc;
        const auto answer = Client().Get("/lumenoApp/catalog/" + catalogId + "/files");
        if (answer) {
            doc.load_string(answer->body.c_str());
        }
        return doc;
    }

    RealStack m_stack;
    testhost::TestHost m_host;
    ScriptedDesktop m_desktop;
    CUICUploadComp* m_component = nullptr;
};

TEST_F(UploadEngineFlowTest, ChosenFilesReachTheGoalCatalogWithTagDescriptionAndThumbnail) {
    const std::string folderId = CreateCatalog("我的文件夹");
    ASSERT_FALSE(folderId.empty());
    const auto catalog = Client().Get("/lumenoApp/catalog");
    ASSERT_TRUE(catalog && catalog->status == 200);
    ASSERT_EQ(m_component->ShowUpload(Utf8ToGb18030(catalog->body), nullptr), 0);
    CUICUploadDlg* dialog = m_component->GetUICUploadDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Combo()->GetWindowText(), "我的网盘\\我的文件夹");

    const fs::path photo = m_stack.Dir() / "photo.png";
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(QString::fromStdString(photo.string())));
    const fs::path notes = m_stack.Dir() / reinterpret_cast<const char*>(u8"说明.txt");
    std::ofstream(notes, std::ios::binary) << std::string(200000, 'n');
    m_desktop.prompts.QueueOpenFiles({Utf8ToGb18030(photo.string()), Utf8ToGb18030(notes.string())});
    dialog->OnBnClickedButtonChoose();
    ASSERT_EQ(dialog->List()->GetItemCount(), 2);
    dialog->findChild<QTextEdit*>()->setPlainText(ToQString("夏天,海边"));

    dialog->OnBnClickedButtonUpload();
    ASSERT_EQ(dialog->TaskIds().size(), 2u)
        << (m_desktop.skin.Tips().empty() ? "" : m_desktop.skin.Tips()[0].text);
    EXPECT_FALSE(dialog->isVisible());

    // The adapter's batch report reached the transfer list.
    CUICTransmitDlg* list = m_component->GetTransmitDlg();
    ASSERT_NE(list, nullptr);
    for (int32_t id : dialog->TaskIds()) {
        EXPECT_EQ(list->UploadInfo().count(id), 1u) << id;
    }

    // The dialog's own tick, once a second in the application, as fast as the engine allows here. The
    // deadline only keeps a broken transfer from hanging the run.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (dialog->IsTimerRunning(TIMER_UPLOAD_FILE) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        dialog->OnTimer(TIMER_UPLOAD_FILE);
    }
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_FILE));
    EXPECT_TRUE(dialog->TaskIds().empty());
    EXPECT_EQ(dialog->List()->GetItemCount(), 0);
    ASSERT_EQ(m_host.netDisk.flashRequests.size(), 1u);

    const pugi::xml_document files = Files(folderId);
    const pugi::xml_node uploadedPhoto = files.select_node("//file[@name='photo.png']").node();
    ASSERT_TRUE(uploadedPhoto);
    EXPECT_EQ(uploadedPhoto.attribute("size").as_ullong(), fs::file_size(photo));
    EXPECT_STREQ(uploadedPhoto.attribute("hasThumbnail").value(), "1");
    EXPECT_EQ(Utf8ToGb18030(uploadedPhoto.attribute("tag").value()), "夏天,海边");
    const std::string notesName = reinterpret_cast<const char*>(u8"说明.txt");
    const pugi::xml_node uploadedNotes =
        files.select_node(("//file[@name='" + notesName + "']").c_str()).node();
    ASSERT_TRUE(uploadedNotes);
    EXPECT_EQ(uploadedNotes.attribute("size").as_ullong(), 200000u);
    EXPECT_STREQ(uploadedNotes.attribute("hasThumbnail").value(), "0");
}

}  // namespace
