#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <fstream>
#include <pugixml.hpp>

#include "DiskdProcess.h"
#include "ServiceFixture.h"
#include "service/CommandLine.h"

namespace nimbra::service::test {
namespace {

class DemoTest : public ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        m_options.demo = true;
        StartService();
        m_token = Login("demo", "demo");
        ASSERT_FALSE(m_token.empty());
    }
    std::string ZipEntry(const std::string& archive, const std::string& entry) {
        const auto path = m_dataDir / "downloaded.zip";
        std::ofstream(path, std::ios::binary) << archive;
        unzFile zip = unzOpen64(path.c_str());
        if (!zip)
            return "<not a zip>";
        std::string content = "<no entry>";
        if (unzLocateFile(zip, entry.c_str(), 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
            content.clear();
            char buffer[4096];
            int n = 0;
            while ((n = unzReadCurrentFile(zip, buffer, sizeof(buffer))) > 0)
                content.append(buffer, static_cast<size_t>(n));
            unzCloseCurrentFile(zip);
        }
        unzClose(zip);
        return content;
    }
};

TEST_F(DemoTest, SeedsCatalogsFilesThumbnailAndSkinOnce) {
    StartService();  // seeding again must not duplicate anything
    auto res = m_client->Get("/lumenoApp/catalog", Auth());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(res->body.c_str()));
    const pugi::xml_node tree = doc.child("root").child("result").child("getWholeCatalog");
    const pugi::xml_node mine = tree.find_child_by_attribute("catalogNode", "catalogName", "我的文件夹");
    ASSERT_TRUE(mine);
    EXPECT_STREQ(mine.attribute("parentcatalogID").value(), "root");
    const pugi::xml_node travel = tree.find_child_by_attribute("catalogNode", "catalogName", "旅行照片");
    EXPECT_STREQ(travel.attribute("parentcatalogID").value(), mine.attribute("catalogID").value());
    EXPECT_EQ(std::distance(tree.children().begin(), tree.children().end()), 5);

    const pugi::xml_node photos = tree.find_child_by_attribute("catalogNode", "catalogName", "Photos");
    auto files = m_client->Get(
        std::string("/lumenoApp/catalog/") + photos.attribute("catalogID").value() + "/files", Auth());
    pugi::xml_document list;
    list.load_string(files->body.c_str());
    const pugi::xml_node sunset = list.child("result").find_child_by_attribute("file", "name", "sunset.jpg");
    ASSERT_TRUE(sunset);
    EXPECT_STREQ(sunset.attribute("hasThumbnail").value(), "1");
    auto thumb = m_client->Get(
        std::string("/lumenoApp/file/") + sunset.attribute("fileID").value() + "/thumbnail", Auth());
    EXPECT_EQ(thumb->body.substr(0, 3), "\xFF\xD8\xFF");

    auto skin = m_client->Get("/static/skins/purple.zip");
    ASSERT_EQ(skin->status, 200);
    EXPECT_NE(ZipEntry(skin->body, "purple/skin.qss").find("QWidget"), std::string::npos);
}

TEST(CommandLineTest, ParsesEveryOption) {
    const char* argv[] = {"nimbra-diskd", "--data",        "/d",       "--listen", "127.0.0.1:8080", "--demo",
                          "--test-hooks", "--add-account", "ann:pa:ss"};
    std::string error;
    const auto parsed = CommandLine::Parse(9, const_cast<char**>(argv), error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->options.dataDir, "/d");
    EXPECT_EQ(parsed->options.host, "127.0.0.1");
    EXPECT_EQ(parsed->options.port, 8080);
    EXPECT_TRUE(parsed->options.demo);
    EXPECT_TRUE(parsed->options.testHooks);
    ASSERT_EQ(parsed->accounts.size(), 1u);
    EXPECT_EQ(parsed->accounts[0], std::make_pair(std::string("ann"), std::string("pa:ss")));
}

TEST(CommandLineTest, RefusesIncompleteArguments) {
    std::string error;
    for (std::vector<const char*> args : {std::vector<const char*>{"x"},
                                          {"x", "--data"},
                                          {"x", "--data", "d", "--listen", "80"},
                                          {"x", "--data", "d", "--listen", "h:99999"},
                                          {"x", "--data", "d", "--bogus"},
                                          {"x", "--data", "d", "--add-account", "nopassword"}}) {
        error.clear();
        EXPECT_FALSE(
            CommandLine::Parse(static_cast<int>(args.size()), const_cast<char**>(args.data()), error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(ProcessTest, ExecutablePrintsItsAddressServesAndStopsOnSigterm) {
    DiskdProcess process({"--add-account", "pat:word"});
    const std::string prefix = "nimbra-diskd listening on http://127.0.0.1:";
    ASSERT_EQ(process.FirstLine().rfind(prefix, 0), 0u) << process.FirstLine();
    httplib::Client client("127.0.0.1", std::stoi(process.FirstLine().substr(prefix.size())));
    auto res = client.Post("/lumenoApp/login", httplib::Params{{"account", "pat"}, {"password", "word"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);

    EXPECT_EQ(process.Stop(), 0);
}

}  // namespace
}  // namespace nimbra::service::test
