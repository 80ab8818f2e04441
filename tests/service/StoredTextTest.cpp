#include <gtest/gtest.h>

#include "ServiceFixture.h"
#include "XmlCheck.h"
#include "service/SqliteDb.h"

namespace nimbra::service::test {
namespace {

using StoredTextTest = ServiceFixture;

TEST_F(StoredTextTest, TagsDescriptionsAndContentIdsAreCheckedLikeNames) {
    const std::map<std::string, std::string> refused[] = {
        {{"tag", std::string("bad\xff", 4)}},
        {{"tag", "tab\there"}},
        {{"tag", std::string(256, 't')}},
        {{"description", std::string("bell\x07", 5)}},
        {{"description", std::string("\xed\xa0\x80", 3)}},  // a surrogate
        {{"description", std::string(4097, 'd')}},
        {{"complexCid", std::string("nul\0", 4)}},
        {{"complexCid", "line\nbreak"}},
    };
    for (auto metadata : refused) {
        metadata["filename"] = "f.txt";
        auto res = CreateUpload(1, metadata);
        EXPECT_EQ(res->status, 400) << metadata.begin()->second;
        EXPECT_EQ(res->get_header_value("X-Nimbra-Error"), "9493");
    }
    // A description may span lines; texts of any script are fine.
    EXPECT_FALSE(
        UploadWhole("ok.txt", "x",
                    {{"tag", "旅行,2024"}, {"description", "第一行\r\n第二行\tend"}, {"complexCid", "c-1"}})
            .empty());
}

TEST_F(StoredTextTest, ListingsStayWellFormedWhateverTheStoredTextsHold) {
    ASSERT_FALSE(UploadWhole("a.txt", "a").empty());
    ASSERT_EQ(
        m_client
            ->Post("/lumenoApp/catalog/create", Auth(), httplib::Params{{"parent", "root"}, {"name", "Docs"}})
            ->status,
        200);
    StopService();
    {
        // Texts stored before they were checked: invalid UTF-8, control characters, U+FFFE, markup.
        SqliteDb db(m_dataDir / "meta.db");
        const std::string hostile = std::string("x\xff\x01y\xef\xbf\xbe<&\"'\x1f\xc3", 14);
        db.Prepare("UPDATE files SET tag = ?1, description = ?1, name = ?1").Bind(1, hostile).Run();
        db.Prepare("UPDATE catalogs SET name = ?1").Bind(1, hostile).Run();
    }
    StartService();
    for (const std::string& path :
         {std::string("/lumenoApp/catalog"), std::string("/lumenoApp/catalog/root/files")}) {
        auto res = m_client->Get(path, Auth());
        ASSERT_EQ(res->status, 200) << path;
        EXPECT_EQ(XmlError(res->body), "") << path << ": " << res->body;
        EXPECT_NE(res->body.find("x\xef\xbf\xbdy"), std::string::npos) << res->body;  // kept, with a stand-in
    }
}

}  // namespace
}  // namespace nimbra::service::test
