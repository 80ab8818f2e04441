#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "ServiceFixture.h"
#include "service/SqliteDb.h"

namespace nimbra::service::test {
namespace {

// An account of 200,000 bytes: everything it stores counts against that.
class AccountSpaceTest : public ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        ASSERT_TRUE(m_service->AddAccount("tiny", "pw", kQuota));
        m_token = Login("tiny", "pw");
    }
    int64_t Spare() {
        pugi::xml_document doc;
        doc.load_string(m_client->Get("/lumenoApp/catalog", Auth())->body.c_str());
        return doc.child("root").child("result").child("SpareSize").text().as_llong();
    }
    httplib::Result PutSetting(const std::string& name, size_t bytes) {
        return m_client->Put("/lumenoApp/settings/" + name, Auth(), std::string(bytes, 's'), "text/plain");
    }
    httplib::Result PutThumbnail(const std::string& location, size_t bytes) {
        const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(bytes - 4, 'j');
        return m_client->Put(PathOf(location) + "/thumbnail", Auth(), jpeg, "image/jpeg");
    }
    static constexpr int64_t kQuota = 200000;
};

TEST_F(AccountSpaceTest, SettingsCountWithTheirNamesAndGiveBackWhatTheyReplace) {
    ASSERT_EQ(PutSetting("first", 60000)->status, 204);
    EXPECT_EQ(Spare(), kQuota - 60005);
    ASSERT_EQ(PutSetting("second", 60000)->status, 204);
    ASSERT_EQ(PutSetting("third", 60000)->status, 204);
    // 19,984 bytes are left: a fourth value of 60,000 does not fit, nor an upload of 20,000.
    auto refused = PutSetting("fourth", 60000);
    EXPECT_EQ(refused->status, 413);
    EXPECT_EQ(refused->get_header_value("X-Nimbra-Error"), "9436");
    EXPECT_EQ(m_client->Get("/lumenoApp/settings/fourth", Auth())->status, 404);
    EXPECT_EQ(CreateUpload(20000, {{"filename", "f.bin"}})->status, 413);
    // Replacing a value with a larger one needs only the difference; a smaller one frees space.
    EXPECT_EQ(PutSetting("third", 65000)->status, 204);
    EXPECT_EQ(PutSetting("fourth", 14979)->status, 413);
    EXPECT_EQ(PutSetting("fourth", 14978)->status, 204);
    EXPECT_EQ(PutSetting("third", 10)->status, 204);
    EXPECT_EQ(m_client->Get("/lumenoApp/settings/fourth", Auth())->body.size(), 14978u);
    EXPECT_EQ(PutSetting("fourth", 0)->status, 204);
    EXPECT_EQ(Spare(), kQuota - 60005 - 60006 - 15 - 6);
}

TEST_F(AccountSpaceTest, ThumbnailsCountBeforeAndAfterTheirUploadFinishes) {
    auto created = CreateUpload(1000, {{"filename", "pic.jpg"}});
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(PutThumbnail(location, 50000)->status, 204);
    EXPECT_EQ(Spare(), kQuota - 1000 - 50000);
    // A second picture replaces the first: only the difference counts.
    ASSERT_EQ(PutThumbnail(location, 60000)->status, 204);
    EXPECT_EQ(Spare(), kQuota - 1000 - 60000);
    ASSERT_EQ(Patch(location, 0, std::string(1000, 'p'))->status, 204);
    EXPECT_EQ(Spare(), kQuota - 1000 - 60000);

    // The finished file's picture still counts, across a restart too, and one past the space is refused.
    StartService();
    m_token = Login("tiny", "pw");
    auto refused = PutThumbnail(location, 200000);
    EXPECT_EQ(refused->status, 413);
    EXPECT_EQ(refused->get_header_value("X-Nimbra-Error"), "9436");
    EXPECT_EQ(Spare(), kQuota - 1000 - 60000);
    auto discarded = CreateUpload(500, {{"filename", "gone.jpg"}});
    ASSERT_EQ(PutThumbnail(discarded->get_header_value("Location"), 30000)->status, 204);
    EXPECT_EQ(Spare(), kQuota - 1000 - 60000 - 500 - 30000);
    ASSERT_EQ(m_client->Delete(PathOf(discarded->get_header_value("Location")), Auth())->status, 204);
    EXPECT_EQ(Spare(), kQuota - 1000 - 60000);
}

}  // namespace
}  // namespace nimbra::service::test

namespace nimbra::service::test {
namespace {

TEST_F(AccountSpaceTest, ThumbnailsStoredBeforeTheyCountedAreCountedAtStart) {
    auto created = CreateUpload(1000, {{"filename", "old.jpg"}});
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(PutThumbnail(location, 40000)->status, 204);
    ASSERT_EQ(Patch(location, 0, std::string(1000, 'o'))->status, 204);
    StopService();
    {
        // As an older service left it: the picture on disk, its bytes nowhere in the metadata.
        SqliteDb db(m_dataDir / "meta.db");
        db.Exec("UPDATE files SET thumbnail_bytes = 0; PRAGMA user_version = 3;");
    }
    StartService();
    m_token = Login("tiny", "pw");
    EXPECT_EQ(Spare(), kQuota - 1000 - 40000);
}

}  // namespace
}  // namespace nimbra::service::test
