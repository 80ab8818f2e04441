// A folder upload over the real engine adapter, the real engine and a real nimbra-diskd on 127.0.0.1: the
// network-disk page creates each catalog on the service, and the tree arrives there as catalogs holding
// the right files, byte for byte, however the upload is paced: a refused catalog, a pause in the middle and
// a delete in the middle.

#include <gtest/gtest.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <random>
#include <set>
#include <thread>
#include <utility>

#include "CatalogRequest.h"
#include "RealStack.h"
#include "TestHost.h"
#include "UploadTestTexts.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/TransferProgress.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {

// Literals here are compiled to GB18030; the file system and the service speak UTF-8.
std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The network-disk page of a host: catalogs are created on the service and the answer goes back through
// the component's slot 30. A catalog named in `held` is created and answered only when the test says so.
class ServiceCatalogDisk final : public HostComponent<IUICNetDisk> {
public:
    explicit ServiceCatalogDisk(const RealStack& stack) : HostComponent(IID_IUICNetDisk), m_stack(stack) {}

    long CallFlash(const std::string& request, std::string& /*reply*/) override {
        const std::optional<CatalogRequest> creation = ReadCatalogRequest(request);
        if (!creation) {
            return 0;
        }
        if (held.count(Gb18030ToUtf8(creation->name))) {
            m_waiting.push_back(*creation);
            return 0;
        }
        Answer(*creation);
        return 0;
    }
    void ShowSpaceInsufficient() override {}
    bool IsHolding() const { return !m_waiting.empty(); }
    void AnswerHeld() {
        for (const CatalogRequest& creation : std::exchange(m_waiting, {})) {
            Answer(creation);
        }
    }

    std::set<std::string> held;  // UTF-8

private:
    void Answer(const CatalogRequest& creation) {
        const auto answer = m_stack.Client().Post(
            "/lumenoApp/catalog/create",
            httplib::Params{{"parent", creation.parent}, {"name", Gb18030ToUtf8(creation.name)}});
        pugi::xml_document doc;
        doc.load_string(answer ? answer->body.c_str() : "");
        const std::string id = doc.select_node("//catalogID").node().text().as_string();
        const bool created = answer && answer->status == 200 && !id.empty();
        CreateUIInstance<CUICUploadComp>()->OnCreateNetCatalogResp(created ? id : "9424");
    }

    const RealStack& m_stack;
    std::vector<CatalogRequest> m_waiting;
};

class FolderUploadEngineFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stack.Start(m_host, "folder-flow", true);
        if (HasFatalFailure()) {
            return;
        }
        UseKeyNamesAsUploadTexts(m_host.lang);
        m_host.Offer(IID_IUICNetDisk, &m_disk);
        m_component = m_stack.SignedInComponent();
        ASSERT_NE(m_component, nullptr);
        const auto created = m_stack.Client().Post(
            "/lumenoApp/catalog/create", httplib::Params{{"parent", "root"}, {"name", U8(u8"我的文件夹")}});
        ASSERT_TRUE(created && created->status == 200);
        const auto catalog = m_stack.Client().Get("/lumenoApp/catalog");
        ASSERT_TRUE(catalog && catalog->status == 200);
        ASSERT_EQ(m_component->ShowUpload(Utf8ToGb18030(catalog->body), nullptr), 0);
        m_dialog = m_component->GetUICUploadDlg();
        ASSERT_NE(m_dialog, nullptr);
        m_tree = m_stack.Dir() / U8(u8"旅行");
    }
    void TearDown() override { m_stack.Stop(); }

    // Writes a file of random bytes; its SHA-1 (hex) is remembered under its path below the tree.
    void Write(const std::string& relative, size_t bytes) {
        const fs::path path = m_tree / relative;
        fs::create_directories(path.parent_path());
        std::string content(bytes, '\0');
        std::mt19937 random(static_cast<unsigned>(bytes + relative.size()));
        for (char& byte : content) {
            byte = static_cast<char>(random());
        }
        std::ofstream(path, std::ios::binary) << content;
        m_sha1[relative] =
            QCryptographicHash::hash(QByteArray::fromStdString(content), QCryptographicHash::Sha1)
                .toHex()
                .toStdString();
    }
    // The expected files of a folder of the tree ("" for the tree itself): name -> SHA-1.
    std::map<std::string, std::string> Written(const std::string& folder) {
        std::map<std::string, std::string> files;
        for (const auto& [relative, sha1] : m_sha1) {
            const fs::path path(relative);
            if (path.parent_path() == fs::path(folder)) {
                files[path.filename().string()] = sha1;
            }
        }
        return files;
    }
    void Fault(const std::string& query) {
        const auto answer = m_stack.Client().Post("/__test/fault?" + query);
        ASSERT_TRUE(answer && answer->status == 204);
    }

    // Chooses the tree in the upload dialog and uploads it.
    void UploadTree() {
        m_desktop.prompts.QueueFolder(Utf8ToGb18030(m_tree.string()));
        m_dialog->OnBnClickedButtonCatalog();
        ASSERT_EQ(m_dialog->List()->GetItemCount(), 1);
        m_dialog->OnBnClickedButtonUpload();
        ASSERT_EQ(m_dialog->FolderUpload().Tasks().size(), 1u)
            << (m_desktop.skin.Tips().empty() ? "" : m_desktop.skin.Tips()[0].text);
    }
    // Runs the event loop, with the dialog's and the list's own timers, until done says so. The deadline
    // only keeps a broken transfer from hanging the run.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    bool RunUntilTheFolderEnds() {
        return RunUntil([&] { return !m_dialog->IsTimerRunning(TIMER_UPLOAD_CATALOG); });
    }
    tagCatalogTask Task() const { return m_dialog->FolderUpload().Tasks().at(0); }
    // The engine's state of a task; -1 for a task it does not know.
    long EngineState(int32_t id) {
        tagUploadProgress progress;
        return CreateUIInstance<IUIPUpload>()->GetProgress(id, progress) == 0 ? progress.nState : -1;
    }
    // The transfer list with the folder's row selected.
    CUICTransmitDlg* SelectFolderRow() {
        CUICTransmitDlg* list = m_component->GetTransmitDlg();
        EXPECT_EQ(list->ListModel()->rowCount(), 1);
        list->List()->selectRow(0);
        return list;
    }

    // The catalogs of the account: id -> (parent id, name), names in UTF-8.
    std::map<std::string, std::pair<std::string, std::string>> Catalogs() {
        std::map<std::string, std::pair<std::string, std::string>> catalogs;
        const auto answer = m_stack.Client().Get("/lumenoApp/catalog");
        pugi::xml_document doc;
        doc.load_string(answer ? answer->body.c_str() : "");
        for (const auto& node : doc.select_nodes("//catalogNode")) {
            catalogs[node.node().attribute("catalogID").value()] = {
                node.node().attribute("parentcatalogID").value(),
                node.node().attribute("catalogName").value()};
        }
        return catalogs;
    }
    // The id of the catalog at a path of names below the root ("我的文件夹/旅行/sea"), or empty.
    std::string CatalogAt(const std::string& path) {
        const auto catalogs = Catalogs();
        std::string id = "root";
        for (const auto& part : fs::path(path)) {
            if (part.empty()) {
                continue;
            }
            const auto child = std::find_if(catalogs.begin(), catalogs.end(), [&](const auto& entry) {
                return entry.second.first == id && entry.second.second == part.string();
            });
            if (child == catalogs.end()) {
                return {};
            }
            id = child->first;
        }
        return id;
    }
    // Files of a catalog: name -> SHA-1.
    std::map<std::string, std::string> Files(const std::string& catalogId) {
        std::map<std::string, std::string> files;
        const auto answer = m_stack.Client().Get("/lumenoApp/catalog/" + catalogId + "/files");
        pugi::xml_document doc;
        doc.load_string(answer ? answer->body.c_str() : "");
        for (const auto& node : doc.select_nodes("//file")) {
            files[node.node().attribute("name").value()] = node.node().attribute("sha1").value();
        }
        return files;
    }
    // Every folder of the tree arrived with exactly its files.
    void ExpectArrived(const std::vector<std::string>& folders) {
        for (const std::string& folder : folders) {
            const std::string id = CatalogAt(U8(u8"我的文件夹/旅行/") + folder);
            ASSERT_FALSE(id.empty()) << folder;
            EXPECT_EQ(Files(id), Written(folder)) << folder;
        }
    }

    RealStack m_stack;
    testhost::TestHost m_host;
    ServiceCatalogDisk m_disk{m_stack};
    ScriptedDesktop m_desktop;
    CUICUploadComp* m_component = nullptr;
    CUICUploadDlg* m_dialog = nullptr;
    fs::path m_tree;
    std::map<std::string, std::string> m_sha1;
};

TEST_F(FolderUploadEngineFlowTest, ATreeArrivesAsCatalogsWithItsFilesExceptARefusedBranch) {
    Write("a.txt", 1000);
    Write(U8(u8"说明.txt"), 70000);
    Write("sea/b.bin", 300 * 1024 + 3);
    Write("sea/deep/c.bin", 5);
    Write(U8(u8"l1/l2/l3/深层/d.txt"), 4096);
    Write(U8(u8"子目录/乗.txt"), 64 * 1024);
    fs::create_directories(m_tree / "empty");
    // The service takes no control characters in a name: it refuses this catalog, and its branch stays out.
    Write("bad\tname/x.bin", 10);
    Write("bad\tname/inner/y.bin", 10);
    m_sha1.erase("bad\tname/x.bin");
    m_sha1.erase("bad\tname/inner/y.bin");
    UploadTree();
    ASSERT_TRUE(RunUntilTheFolderEnds());
    EXPECT_EQ(Task().nState, TASK_FAILED);
    ExpectArrived(
        {"", "sea", "sea/deep", "l1", "l1/l2", "l1/l2/l3", U8(u8"l1/l2/l3/深层"), U8(u8"子目录"), "empty"});
    EXPECT_TRUE(CatalogAt(U8(u8"我的文件夹/旅行/bad\tname")).empty());
    // Every file that was handed over arrived.
    for (const int32_t id : Task().vecFileIDs) {
        EXPECT_EQ(EngineState(id), TASK_FINISHED) << id;
    }
    EXPECT_EQ(Task().vecFileIDs.size(), 6u);
}

TEST_F(FolderUploadEngineFlowTest, APauseInTheMiddleHoldsEveryFileAndStartBringsTheRestByteForByte) {
    for (int i = 0; i < 6; ++i) {
        Write("f" + std::to_string(i) + ".bin", 64 * 1024 + i);
    }
    Write("sub/g.bin", 200 * 1024);
    Write("sub/h.bin", 3);
    // Every request of an upload waits a while on the service, so the files are still under way.
    Fault(std::string("hangMs=400&count=-1&pathPrefix=/lumenoApp/share/pc_uploadFileRequest"));
    UploadTree();
    ASSERT_TRUE(RunUntil([&] { return Task().vecFileIDs.size() == 8; }));
    CUICTransmitDlg* list = SelectFolderRow();
    list->DisposePanelTop(IDC_BUTTON_PAUSE);
    EXPECT_EQ(Task().nState, TASK_PAUSED);
    int paused = 0;
    for (const int32_t id : Task().vecFileIDs) {
        const long state = EngineState(id);
        EXPECT_TRUE(state == TASK_PAUSED || state == TASK_FINISHED) << id << " " << state;
        paused += state == TASK_PAUSED ? 1 : 0;
    }
    EXPECT_GT(paused, 0);
    EXPECT_EQ(list->ListModel()->Image(0), GetImageIndexByState(TASK_PAUSED, true));

    Fault("clear=1");
    list->DisposePanelTop(IDC_BUTTON_START);
    EXPECT_EQ(Task().nState, TASK_RUNNING);
    ASSERT_TRUE(RunUntilTheFolderEnds());
    EXPECT_EQ(Task().nState, TASK_FINISHED);
    ExpectArrived({"", "sub"});
}

TEST_F(FolderUploadEngineFlowTest, ADeleteInTheMiddleLeavesNoEngineTaskAndNothingBeyondWhatHadArrived) {
    Write("a.txt", 2000);
    Write("b.txt", 3000);
    Write("later/c.bin", 5000);
    Write("later/deeper/d.bin", 6000);
    m_disk.held = {"later"};
    UploadTree();
    ASSERT_TRUE(RunUntil([&] {
        const auto ids = Task().vecFileIDs;
        return m_disk.IsHolding() && ids.size() == 2 && std::all_of(ids.begin(), ids.end(), [&](int32_t id) {
                   return EngineState(id) == TASK_FINISHED;
               });
    }));
    const std::vector<int32_t> ids = Task().vecFileIDs;
    CUICTransmitDlg* list = SelectFolderRow();
    m_desktop.prompts.QueueMessageBoxResult(IDOK);
    list->DisposePanelTop(IDC_BUTTON_DELETE);
    EXPECT_EQ(list->ListModel()->rowCount(), 0);
    EXPECT_TRUE(m_dialog->FolderUpload().Tasks().empty());
    for (const int32_t id : ids) {
        EXPECT_EQ(EngineState(id), -1) << id;
    }
    // The page answers the catalog it held only now: nothing more of the folder goes.
    m_disk.AnswerHeld();
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_dialog->IsTimerRunning(TIMER_UPLOAD_CATALOG));
    const std::string top = CatalogAt(U8(u8"我的文件夹/旅行"));
    EXPECT_EQ(Files(top), Written(""));
    EXPECT_TRUE(Files(CatalogAt(U8(u8"我的文件夹/旅行/later"))).empty());
    EXPECT_TRUE(CatalogAt(U8(u8"我的文件夹/旅行/later/deeper")).empty());
}

}  // namespace
