#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "ServiceFixture.h"

namespace nimbra::service::test {
namespace {

class CatalogTest : public ServiceFixture {
protected:
    pugi::xml_node LoadDocument(pugi::xml_document& doc) {
        auto res = m_client->Get("/lumenoApp/catalog", Auth());
        EXPECT_EQ(res->status, 200);
        EXPECT_TRUE(doc.load_string(res->body.c_str()));
        return doc.child("root").child("result");
    }
    httplib::Result CreateCatalog(const std::string& parent, const std::string& name) {
        return m_client->Post("/lumenoApp/catalog/create", Auth(),
                              httplib::Params{{"parent", parent}, {"name", name}});
    }
    static std::string IdOf(const httplib::Result& res) {
        pugi::xml_document doc;
        doc.load_string(res->body.c_str());
        return doc.child("result").child("catalogID").text().get();
    }
};

TEST_F(CatalogTest, DocumentListsElementsInOrderWithParentsFirstAndLimits) {
    const std::string photos = IdOf(CreateCatalog("root", "照片"));
    const std::string trip = IdOf(CreateCatalog(photos, "Trip"));
    ASSERT_EQ(m_client->Post("/lumenoApp/catalog/current", Auth(), httplib::Params{{"id", trip}})->status,
              200);
    ASSERT_FALSE(UploadWhole("a.bin", std::string(1000, 'a')).empty());

    pugi::xml_document doc;
    const pugi::xml_node result = LoadDocument(doc);
    EXPECT_STREQ(result.attribute("resultCode").value(), "0");
    std::vector<std::string> order;
    for (pugi::xml_node child : result.children())
        order.emplace_back(child.name());
    EXPECT_EQ(order, (std::vector<std::string>{"uploadUrl", "getWholeCatalog", "MaxUploadFilesNumber",
                                               "MaxUploadFilesSize", "SpareSize"}));
    EXPECT_EQ(std::string(result.child("uploadUrl").text().get()), m_service->BaseUrl() + kEndpoint);

    std::vector<std::string> nodes;
    for (pugi::xml_node node : result.child("getWholeCatalog").children("catalogNode"))
        nodes.push_back(std::string(node.attribute("catalogID").value()) + "|" +
                        node.attribute("parentcatalogID").value() + "|" +
                        node.attribute("catalogName").value() + "|" + node.attribute("isShared").value() +
                        "|" + node.attribute("CurDir").value());
    EXPECT_EQ(nodes, (std::vector<std::string>{"root||我的网盘|0|0", photos + "|root|照片|0|0",
                                               trip + "|" + photos + "|Trip|0|1"}));
    EXPECT_EQ(result.child("MaxUploadFilesNumber").text().as_int(), 100);
    EXPECT_EQ(result.child("MaxUploadFilesSize").text().as_llong(), m_options.maxFileBytes);
    EXPECT_EQ(result.child("SpareSize").text().as_llong(), (1 << 20) - 1000);
}

TEST_F(CatalogTest, CreationAnswersNewIdThen9424WithTheExistingOne) {
    auto first = CreateCatalog("10000000000011", "Docs");
    ASSERT_EQ(first->status, 200);
    const std::string id = IdOf(first);
    EXPECT_FALSE(id.empty());
    auto again = CreateCatalog("root", "Docs");
    EXPECT_EQ(again->status, 409);
    EXPECT_EQ(again->get_header_value("X-Nimbra-Error"), "9424");
    EXPECT_NE(again->body.find("resultCode=\"9424\""), std::string::npos);
    EXPECT_EQ(IdOf(again), id);
    // The same name under another parent is a different catalog.
    auto nested = CreateCatalog(id, "Docs");
    EXPECT_EQ(nested->status, 200);
    EXPECT_NE(IdOf(nested), id);
}

TEST_F(CatalogTest, CreationAcceptsTheClientsDataDocument) {
    auto res =
        m_client->Post("/lumenoApp/catalog/create", Auth(),
                       "<data><strPath>来自文档</strPath><parent>root</parent></data>", "application/xml");
    ASSERT_EQ(res->status, 200);
    pugi::xml_document doc;
    const pugi::xml_node result = LoadDocument(doc);
    EXPECT_TRUE(
        result.child("getWholeCatalog").find_child_by_attribute("catalogNode", "catalogName", "来自文档"));
}

TEST_F(CatalogTest, CreationRefusesMissingParentAndBadNames) {
    auto missing = CreateCatalog("777", "x");
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(missing->get_header_value("X-Nimbra-Error"), "9162");
    for (const char* name : {"", "a/b", "a\\b"})
        EXPECT_EQ(CreateCatalog("root", name)->get_header_value("X-Nimbra-Error"), "9493");
    EXPECT_EQ(m_client->Post("/lumenoApp/catalog/current", Auth(), httplib::Params{{"id", "999"}})->status,
              404);
}

TEST_F(CatalogTest, UploadWithNewCatalogNameCreatesItOnceAndListsFiles) {
    const std::string first =
        UploadWhole("one.txt", "1", {{"newCatalogName", "Batch"}, {"tag", "t"}, {"description", "d"}});
    const std::string second = UploadWhole("two.txt", "22", {{"newCatalogName", "Batch"}});
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    pugi::xml_document doc;
    const pugi::xml_node batch = LoadDocument(doc)
                                     .child("getWholeCatalog")
                                     .find_child_by_attribute("catalogNode", "catalogName", "Batch");
    ASSERT_TRUE(batch);
    EXPECT_EQ(std::distance(doc.child("root").child("result").child("getWholeCatalog").children().begin(),
                            doc.child("root").child("result").child("getWholeCatalog").children().end()),
              2);

    auto files = m_client->Get(
        std::string("/lumenoApp/catalog/") + batch.attribute("catalogID").value() + "/files", Auth());
    ASSERT_EQ(files->status, 200);
    pugi::xml_document list;
    list.load_string(files->body.c_str());
    const pugi::xml_node one = list.child("result").child("file");
    EXPECT_EQ(std::string(one.attribute("fileID").value()), first);
    EXPECT_STREQ(one.attribute("name").value(), "one.txt");
    EXPECT_STREQ(one.attribute("tag").value(), "t");
    EXPECT_STREQ(one.attribute("description").value(), "d");
    EXPECT_EQ(std::string(one.attribute("sha1").value()), Sha1Hex("1"));
    EXPECT_STREQ(one.next_sibling("file").attribute("size").value(), "2");
}

TEST_F(CatalogTest, AccountsSeeOnlyTheirOwnCatalogs) {
    CreateCatalog("root", "Private");
    ASSERT_TRUE(m_service->AddAccount("bob", "pw", 1 << 20));
    m_token = Login("bob", "pw");
    pugi::xml_document doc;
    EXPECT_FALSE(LoadDocument(doc)
                     .child("getWholeCatalog")
                     .find_child_by_attribute("catalogNode", "catalogName", "Private"));
}

}  // namespace
}  // namespace nimbra::service::test
