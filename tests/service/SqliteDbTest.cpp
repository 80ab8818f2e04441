#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "service/SqliteDb.h"

namespace nimbra::service::test {
namespace {

class SqliteDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = std::filesystem::temp_directory_path() /
                 ("nimbra-sqlite-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
        Remove();
        m_db = std::make_unique<SqliteDb>(m_path);
        m_db->Exec("CREATE TABLE numbers(n INTEGER); INSERT INTO numbers VALUES(1),(2),(3);");
    }
    void TearDown() override {
        m_db.reset();
        Remove();
    }
    void Remove() {
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(m_path.string() + suffix);
    }

    static constexpr const char* kAll = "SELECT n FROM numbers ORDER BY n";
    std::filesystem::path m_path;
    std::unique_ptr<SqliteDb> m_db;
};

TEST_F(SqliteDbTest, TheSameQueryNestedInItselfRunsOnItsOwnStatement) {
    std::vector<int64_t> pairs;
    auto outer = m_db->Prepare(kAll);
    while (outer.Step()) {
        auto inner = m_db->Prepare(kAll);
        while (inner.Step())
            pairs.push_back(outer.Int(0) * 10 + inner.Int(0));
    }
    EXPECT_EQ(pairs, (std::vector<int64_t>{11, 12, 13, 21, 22, 23, 31, 32, 33}));
}

TEST_F(SqliteDbTest, AStatementGivenBackStartsOverWithoutItsBindings) {
    const char* below = "SELECT COUNT(*) FROM numbers WHERE n < ?";
    {
        auto count = m_db->Prepare(below);
        count.Bind(1, int64_t{3});
        ASSERT_TRUE(count.Step());
        EXPECT_EQ(count.Int(0), 2);
    }
    {
        auto again = m_db->Prepare(below);
        ASSERT_TRUE(again.Step());
        EXPECT_EQ(again.Int(0), 0) << "an unbound parameter is NULL, not the value bound before";
    }

    // Left in the middle of its rows, a statement holds no read that blocks dropping the table.
    {
        auto partly = m_db->Prepare(kAll);
        ASSERT_TRUE(partly.Step());
    }
    EXPECT_NO_THROW(m_db->Exec("DROP TABLE numbers"));
    EXPECT_THROW(m_db->Prepare(kAll).Step(), std::runtime_error) << "a kept statement of a dropped table";
}

TEST_F(SqliteDbTest, TransactionsCommitOrRollBackAndKeepTheConnectionUsable) {
    {
        SqliteTransaction kept(*m_db, Durability::Deferred);
        m_db->Prepare("INSERT INTO numbers VALUES(4)").Run();
        kept.Commit();
    }
    {
        SqliteTransaction dropped(*m_db);
        m_db->Prepare("INSERT INTO numbers VALUES(5)").Run();
    }
    auto count = m_db->Prepare("SELECT COUNT(*), MAX(n) FROM numbers");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Int(0), 4);
    EXPECT_EQ(count.Int(1), 4);
    auto sync = m_db->Prepare("PRAGMA synchronous");
    ASSERT_TRUE(sync.Step());
    EXPECT_EQ(sync.Int(0), 2) << "a deferred transaction leaves the connection syncing every commit";
}

}  // namespace
}  // namespace nimbra::service::test
