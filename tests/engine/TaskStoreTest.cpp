#include "engine/TaskStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "TempDir.h"

namespace nimbra::engine {
namespace {

TaskRecord SampleUpload(int32_t id) {
    TaskRecord r;
    r.id = id;
    r.kind = TaskKind::Upload;
    r.state = OrvULD::ORV_SESSION_STATE_RUNNING;
    r.errorCode = 9156;
    r.started = true;
    r.localPath = "/data/照片/a.jpg";
    r.displayName = "a.jpg";
    r.size = (5ull << 30) + 7;  // beyond 32 bits
    r.offset = (4ull << 30) + 3;
    r.sourceSize = r.size;
    r.sourceMtimeNs = 1'700'000'000'123'456'789;
    r.description = "desc";
    r.complexFlag = true;
    r.complexCid = "cid";
    r.appType = "3";
    r.parentCatalogId = "12";
    r.newCatalogName = "新建";
    r.tag = "t1 t2";
    r.miniaturePath = "/tmp/m.jpg";
    r.miniatureSize = 1234;
    r.thumbnailCopy = "/db/thumbnails/1.jpg";
    r.thumbnailSent = true;
    r.endpointUrl = "http://127.0.0.1:1/up";
    r.uploadUrl = "http://127.0.0.1:1/up/x";
    r.remoteFileId = "77";
    r.remoteTag = "\"e1\"";
    r.creationKey = "0123abcd";
    return r;
}

void ExpectSame(const TaskRecord& a, const TaskRecord& b) {
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(a.errorCode, b.errorCode);
    EXPECT_EQ(a.started, b.started);
    EXPECT_EQ(a.localPath, b.localPath);
    EXPECT_EQ(a.displayName, b.displayName);
    EXPECT_EQ(a.size, b.size);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.sourceSize, b.sourceSize);
    EXPECT_EQ(a.sourceMtimeNs, b.sourceMtimeNs);
    EXPECT_EQ(a.description, b.description);
    EXPECT_EQ(a.complexFlag, b.complexFlag);
    EXPECT_EQ(a.complexCid, b.complexCid);
    EXPECT_EQ(a.appType, b.appType);
    EXPECT_EQ(a.parentCatalogId, b.parentCatalogId);
    EXPECT_EQ(a.newCatalogName, b.newCatalogName);
    EXPECT_EQ(a.tag, b.tag);
    EXPECT_EQ(a.miniaturePath, b.miniaturePath);
    EXPECT_EQ(a.miniatureSize, b.miniatureSize);
    EXPECT_EQ(a.thumbnailCopy, b.thumbnailCopy);
    EXPECT_EQ(a.thumbnailSent, b.thumbnailSent);
    EXPECT_EQ(a.endpointUrl, b.endpointUrl);
    EXPECT_EQ(a.uploadUrl, b.uploadUrl);
    EXPECT_EQ(a.remoteUrl, b.remoteUrl);
    EXPECT_EQ(a.remoteFileId, b.remoteFileId);
    EXPECT_EQ(a.remoteTag, b.remoteTag);
    EXPECT_EQ(a.creationKey, b.creationKey);
}

TEST(TaskStoreTest, EveryFieldSurvivesReopeningIncludingSizesBeyond4GiB) {
    TempDir dir;
    const std::string path = dir.File("acc/sub/uploaddb.db");  // missing folders are created
    const TaskRecord original = SampleUpload(3);
    {
        TaskStore store(path);
        store.Put(original);
    }  // closing commits what is queued
    TaskStore reopened(path);
    const auto records = reopened.LoadAll();
    ASSERT_EQ(records.size(), 1u);
    ExpectSame(records[0], original);
}

TEST(TaskStoreTest, LaterWritesOfATaskWinAndErasedTasksStayGone) {
    TempDir dir;
    TaskStore store(dir.File("uploaddb.db"));
    TaskRecord a = SampleUpload(1);
    TaskRecord b = SampleUpload(2);
    store.Put(a);
    store.Put(b);
    a.offset = 99;
    store.Put(a);
    store.Erase(2);
    store.Flush();
    const auto records = store.LoadAll();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, 1);
    EXPECT_EQ(records[0].offset, 99u);
}

TEST(TaskStoreTest, PendingTerminationsSurviveReopeningUntilForgotten) {
    TempDir dir;
    const std::string path = dir.File("uploaddb.db");
    {
        TaskStore store(path);
        store.AddTermination("http://h/up/a");
        store.AddTermination("http://h/up/b");
        store.AddTermination("http://h/up/a");  // once is enough
        store.ForgetTermination("http://h/up/b");
    }
    TaskStore reopened(path);
    EXPECT_EQ(reopened.LoadTerminations(), std::vector<std::string>{"http://h/up/a"});
}

TEST(TaskStoreTest, UsesWriteAheadLogAndRecordsItsSchemaVersion) {
    TempDir dir;
    const std::string path = dir.File("uploaddb.db");
    { TaskStore store(path); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "wal");
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), TaskStore::kSchemaVersion);
    sqlite3_finalize(s);
    // A database from a newer engine is refused rather than misread.
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_THROW(TaskStore{path}, ComError);
}

TEST(TaskStoreTest, ADatabaseOfTheFirstVersionKeepsItsTasksWithoutTheirWholeFileDigest) {
    TempDir dir;
    const std::string path = dir.File("uploaddb.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const char* firstVersion =
        "CREATE TABLE tasks (id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, state INTEGER NOT NULL,"
        "error_code INTEGER NOT NULL, started INTEGER NOT NULL, local_path TEXT NOT NULL,"
        "display_name TEXT NOT NULL, size INTEGER NOT NULL, confirmed_offset INTEGER NOT NULL,"
        "source_size INTEGER NOT NULL, source_mtime_ns INTEGER NOT NULL, sha1 TEXT NOT NULL,"
        "description TEXT NOT NULL, complex_flag INTEGER NOT NULL, complex_cid TEXT NOT NULL,"
        "app_type TEXT NOT NULL, parent_catalog_id TEXT NOT NULL, new_catalog_name TEXT NOT NULL,"
        "tag TEXT NOT NULL, miniature_path TEXT NOT NULL, miniature_size INTEGER NOT NULL,"
        "thumbnail_copy TEXT NOT NULL, thumbnail_sent INTEGER NOT NULL, endpoint_url TEXT NOT NULL,"
        "upload_url TEXT NOT NULL, remote_url TEXT NOT NULL, remote_file_id TEXT NOT NULL);"
        "INSERT INTO tasks VALUES (4, 0, 9, 8000, 1, '/a.bin', 'a.bin', 10, 5, 10, 1, 'da39', '', 0, '', '',"
        "'root', '', '', '', 0, '', 0, 'http://h/up', 'http://h/up/x', '', '');"
        "PRAGMA user_version=1;";
    ASSERT_EQ(sqlite3_exec(db, firstVersion, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    TaskStore store(path);
    const auto records = store.LoadAll();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, 4);
    EXPECT_EQ(records[0].offset, 5u);
    EXPECT_EQ(records[0].uploadUrl, "http://h/up/x");
    TaskRecord changed = records[0];
    changed.offset = 10;
    store.Put(changed);  // rows of the new shape fit the migrated table
    store.Flush();
    EXPECT_EQ(store.LoadAll()[0].offset, 10u);
}

TEST(TaskStoreTest, UnusablePathThrowsComError) {
    TempDir dir;
    const std::string blocker = dir.File("file");
    std::FILE* f = std::fopen(blocker.c_str(), "w");
    std::fclose(f);
    EXPECT_THROW(TaskStore{blocker + "/uploaddb.db"}, ComError);
}

}  // namespace
}  // namespace nimbra::engine
