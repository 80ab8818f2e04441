// A folder upload over the real engine adapter, the real engine and a real nimbra-diskd on 127.0.0.1: the
// network-disk page creates each catalog on the service, and the tree arrives there as catalogs holding
// the right files, byte for byte.

#include <gtest/gtest.h>
#include <httplib.h>

#include <QCryptographicHash>
#include <QFile>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <random>
#include <thread>

#include "CatalogRequest.h"
#include "RealStack.h"
#include "TestHost.h"
#include "UploadTestTexts.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {

// Literals here are compiled to GB18030; the file system and the service speak UTF-8.
std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The network-disk page of a host: catalogs are created on the service and the answer goes back through
// the component's slot 30.
class ServiceCatalogDisk final : public HostComponent<IUICNetDisk> {
public:
    explicit ServiceCatalogDisk(const RealStack& stack) : HostComponent(IID_IUICNetDisk), m_stack(stack) {}

    long CallFlash(const std::string& request, std::string& /*reply*/) override {
        const std::optional<CatalogRequest> creation = ReadCatalogRequest(request);
        if (!creation) {
            return 0;
        }
        const auto answer = m_stack.Client().Post(
            "/lumenoApp/catalog/create",
            httplib::Params{{"parent", creation->parent}, {"name", Gb18030ToUtf8(creation->name)}});
        pugi::xml_document doc;
        doc.load_string(answer ? answer->body.c_str() : "");
        const std::string id = doc.select_node("//catalogID").node().text().as_string();
        const bool created = answer && answer->status == 200 && !id.empty();
        CreateUIInstance<CUICUploadComp>()->OnCreateNetCatalogResp(created ? id : "9424");
        return 0;
    }
    void ShowSpaceInsufficient() override {}

private:
    const RealStack& m_stack;
};

class FolderUploadEngineFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stack.Start(m_host, "folder-flow", false);
        if (HasFatalFailure()) {
            return;
        }
        UseKeyNamesAsUploadTexts(m_host.lang);
        m_host.Offer(IID_IUICNetDisk, &m_disk);
        m_component = m_stack.SignedInComponent();
        ASSERT_NE(m_component, nullptr);
    }
    void TearDown() override { m_stack.Stop(); }

    // Writes a file of random bytes; its SHA-1 (hex) is remembered under its path below the tree.
    void Write(const fs::path& tree, const std::string& relative, size_t bytes) {
        const fs::path path = tree / relative;
        fs::create_directories(path.parent_path());
        std::string content(bytes, '\0');
        std::mt19937 random(static_cast<unsigned>(bytes));
        for (char& byte : content) {
            byte = static_cast<char>(random());
        }
        std::ofstream(path, std::ios::binary) << content;
        m_sha1[relative] =
            QCryptographicHash::hash(QByteArray::fromStdString(content), QCryptographicHash::Sha1)
                .toHex()
                .toStdString();
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

    RealStack m_stack;
    testhost::TestHost m_host;
    ServiceCatalogDisk m_disk{m_stack};
    ScriptedDesktop m_desktop;
    CUICUploadComp* m_component = nullptr;
    std::map<std::string, std::string> m_sha1;
};

TEST_F(FolderUploadEngineFlowTest, AFolderTreeArrivesAsCatalogsWithItsFilesInThem) {
    const auto created = m_stack.Client().Post(
        "/lumenoApp/catalog/create", httplib::Params{{"parent", "root"}, {"name", U8(u8"我的文件夹")}});
    ASSERT_TRUE(created && created->status == 200);
    const auto catalog = m_stack.Client().Get("/lumenoApp/catalog");
    ASSERT_TRUE(catalog && catalog->status == 200);
    ASSERT_EQ(m_component->ShowUpload(Utf8ToGb18030(catalog->body), nullptr), 0);
    CUICUploadDlg* dialog = m_component->GetUICUploadDlg();
    ASSERT_NE(dialog, nullptr);

    const fs::path tree = m_stack.Dir() / U8(u8"旅行");
    Write(tree, "a.txt", 1000);
    Write(tree, U8(u8"说明.txt"), 70000);
    Write(tree, "sea/b.bin", 300 * 1024 + 3);
    Write(tree, "sea/deep/c.bin", 5);
    fs::create_directories(tree / "empty");
    m_desktop.prompts.QueueFolder(Utf8ToGb18030(tree.string()));
    dialog->OnBnClickedButtonCatalog();
    ASSERT_EQ(dialog->List()->GetItemCount(), 1);
    dialog->OnBnClickedButtonUpload();
    ASSERT_EQ(dialog->FolderUpload().Tasks().size(), 1u)
        << (m_desktop.skin.Tips().empty() ? "" : m_desktop.skin.Tips()[0].text);

    // Timer 1002, once a second in the application, as fast as the engine allows here. The deadline only
    // keeps a broken transfer from hanging the run.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (dialog->IsTimerRunning(TIMER_UPLOAD_CATALOG) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dialog->OnTimer(TIMER_UPLOAD_CATALOG);
    }
    ASSERT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_CATALOG));
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].nState, TASK_FINISHED);

    // id of the catalog named name under parent, or empty.
    const auto catalogs = Catalogs();
    const auto child = [&](const std::string& parent, const std::string& name) {
        for (const auto& [id, entry] : catalogs) {
            if (entry.first == parent && entry.second == name) {
                return id;
            }
        }
        return std::string();
    };
    const std::string myFolder = child("root", U8(u8"我的文件夹"));
    const std::string top = child(myFolder, U8(u8"旅行"));
    const std::string sea = child(top, "sea");
    const std::string deep = child(sea, "deep");
    const std::string empty = child(top, "empty");
    ASSERT_FALSE(top.empty());
    ASSERT_FALSE(sea.empty());
    ASSERT_FALSE(deep.empty());
    ASSERT_FALSE(empty.empty());
    EXPECT_EQ(Files(top), (std::map<std::string, std::string>{{"a.txt", m_sha1["a.txt"]},
                                                              {U8(u8"说明.txt"), m_sha1[U8(u8"说明.txt")]}}));
    EXPECT_EQ(Files(sea), (std::map<std::string, std::string>{{"b.bin", m_sha1["sea/b.bin"]}}));
    EXPECT_EQ(Files(deep), (std::map<std::string, std::string>{{"c.bin", m_sha1["sea/deep/c.bin"]}}));
    EXPECT_TRUE(Files(empty).empty());
}

}  // namespace
