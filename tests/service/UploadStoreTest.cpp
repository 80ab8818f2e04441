#include <gtest/gtest.h>

#include <filesystem>

#include "service/UploadStore.h"

namespace nimbra::service::test {
namespace {

class UploadStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("nimbra-uploads-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_db = std::make_unique<SqliteDb>(m_dir / "meta.db");
        m_uploads = std::make_unique<UploadStore>(*m_db);
    }
    void TearDown() override {
        m_uploads.reset();
        m_db.reset();
        std::filesystem::remove_all(m_dir);
    }
    static UploadRow Row(const std::string& id, int64_t account, const std::string& key) {
        UploadRow row;
        row.id = id;
        row.accountId = account;
        row.length = 100;
        row.filename = "f";
        row.creationKey = key;
        return row;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<SqliteDb> m_db;
    std::unique_ptr<UploadStore> m_uploads;
};

TEST_F(UploadStoreTest, ACreationKeyNamesOneUploadOfItsAccount) {
    EXPECT_TRUE(m_uploads->Insert(Row("a1", 1, "key")));
    EXPECT_FALSE(m_uploads->Insert(Row("a2", 1, "key")));
    EXPECT_TRUE(m_uploads->Insert(Row("b1", 2, "key")));  // another account's key
    EXPECT_TRUE(m_uploads->Insert(Row("a3", 1, "")));     // no key at all, twice
    EXPECT_TRUE(m_uploads->Insert(Row("a4", 1, "")));
    EXPECT_EQ(m_uploads->FindByCreationKey("key", 1)->id, "a1");
    EXPECT_FALSE(m_uploads->Find("a2", 1));
    m_uploads->Remove("a1");
    EXPECT_TRUE(m_uploads->Insert(Row("a5", 1, "key")));
}

TEST_F(UploadStoreTest, CuttingTheOffsetBelowTheSavedHashDropsTheHash) {
    ASSERT_TRUE(m_uploads->Insert(Row("u", 1, "")));
    m_uploads->SaveProgress("u", 80, "state-at-80", 80);
    m_uploads->CutOffset("u", 90);  // not a cut: more than is confirmed
    EXPECT_EQ(m_uploads->Find("u", 1)->hashOffset, 80);
    m_uploads->CutOffset("u", 50);
    const auto row = m_uploads->Find("u", 1);
    EXPECT_EQ(row->offset, 50);
    EXPECT_EQ(row->hashOffset, 0);
    EXPECT_EQ(row->hashState, "");

    m_uploads->SaveProgress("u", 80, "state-at-30", 30);  // a hash that fell behind stays
    m_uploads->CutOffset("u", 40);
    EXPECT_EQ(m_uploads->Find("u", 1)->hashState, "state-at-30");
}

}  // namespace
}  // namespace nimbra::service::test
