#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

#include "RawConnection.h"
#include "ServiceFixture.h"

namespace nimbra::service::test {
namespace {

using RestartAndFaultTest = ServiceFixture;

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>('a' + (i * 31 + i / 7) % 26);
    return data;
}

TEST_F(RestartAndFaultTest, DroppedConnectionKeepsConfirmedBytesAndUploadResumes) {
    const std::string content = Pattern(300000);
    auto created = CreateUpload(static_cast<int64_t>(content.size()),
                                {{"filename", "drop.bin"}, {"sha1", Sha1Hex(content)}});
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(m_client->Post("/__test/fault", httplib::Params{{"dropAfterBytes", "100000"}})->status, 204);

    auto dropped = Patch(location, 0, content);
    EXPECT_FALSE(dropped) << "the connection should have been cut";
    m_client = NewClient();
    auto head = Head(location);
    EXPECT_EQ(head->get_header_value("Upload-Offset"), "100000");

    auto rest = Patch(location, 100000, content.substr(100000));
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->status, 204);
    EXPECT_TRUE(Download(rest->get_header_value("X-Nimbra-File-Id")) == content);
}

TEST_F(RestartAndFaultTest, LargeBodiesOfOddSizesArriveWholeAcrossADroppedConnection) {
    // Bodies of several MiB start and end off any block boundary, so bytes go both through the page
    // cache and around it; the whole-file SHA-1 checks the running hash over all of them.
    ASSERT_TRUE(m_service->AddAccount("large", "pw", int64_t{16} << 20));
    m_token = Login("large", "pw");
    const std::string content = Pattern((5 << 20) + 123);
    const size_t first = 1234567;
    const size_t kept = 1500001;
    auto created =
        CreateUpload(static_cast<int64_t>(content.size()),
                     {{"filename", "large.bin"}, {"sha1", Sha1Hex(content)}}, content.substr(0, first));
    ASSERT_EQ(created->get_header_value("Upload-Offset"), std::to_string(first));
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(
        m_client->Post("/__test/fault", httplib::Params{{"dropAfterBytes", std::to_string(kept)}})->status,
        204);
    EXPECT_FALSE(Patch(location, static_cast<int64_t>(first), content.substr(first)));
    m_client = NewClient();
    const size_t offset = first + kept;
    ASSERT_EQ(Head(location)->get_header_value("Upload-Offset"), std::to_string(offset));

    auto rest = Patch(location, static_cast<int64_t>(offset), content.substr(offset));
    ASSERT_TRUE(rest);
    ASSERT_EQ(rest->status, 204);
    EXPECT_TRUE(Download(rest->get_header_value("X-Nimbra-File-Id")) == content);
}

TEST_F(RestartAndFaultTest, DroppedChunkWithChecksumKeepsNothing) {
    const std::string content = Pattern(50000);
    auto created = CreateUpload(static_cast<int64_t>(content.size()), {{"filename", "c.bin"}});
    const std::string location = created->get_header_value("Location");
    m_client->Post("/__test/fault", httplib::Params{{"dropAfterBytes", "20000"}});
    EXPECT_FALSE(Patch(location, 0, content, Sha1Base64(content)));
    m_client = NewClient();
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "0");
}

TEST_F(RestartAndFaultTest, UnfinishedUploadResumesAfterRestartAndEverythingPersists) {
    const std::string content = Pattern(200000);
    m_client->Post("/lumenoApp/catalog/create", Auth(),
                   httplib::Params{{"parent", "root"}, {"name", "Keep"}});
    m_client->Put("/lumenoApp/settings/UploadTaskInfo", Auth(), "7,9", "text/plain");
    auto created =
        CreateUpload(static_cast<int64_t>(content.size()),
                     {{"filename", "resume.bin"}, {"sha1", Sha1Hex(content)}}, content.substr(0, 120000));
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(created->get_header_value("Upload-Offset"), "120000");

    StartService();  // a new service on the same data folder
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "120000");
    auto rest = Patch(location, 120000, content.substr(120000));
    ASSERT_EQ(rest->status, 204);
    EXPECT_TRUE(Download(rest->get_header_value("X-Nimbra-File-Id")) == content);
    EXPECT_NE(m_client->Get("/lumenoApp/catalog", Auth())->body.find("catalogName=\"Keep\""),
              std::string::npos);
    EXPECT_EQ(m_client->Get("/lumenoApp/settings/UploadTaskInfo", Auth())->body, "7,9");
}

// Turns the metadata back into what the service wrote before it kept used bytes per account.
void MakeVersion2(const std::filesystem::path& metaDb) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(metaDb.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db,
                                "DROP TRIGGER files_used_insert; DROP TRIGGER files_used_delete;"
                                "DROP TRIGGER files_used_update; ALTER TABLE accounts DROP COLUMN used_bytes;"
                                "CREATE INDEX files_size_by_account ON files(account_id, size);"
                                "PRAGMA user_version = 2;",
                                nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

TEST_F(RestartAndFaultTest, UsedSpaceIsCountedAcrossRestartsAndFromOlderMetadata) {
    // 800,000 of the 1 MiB quota in files: 248,576 bytes are left.
    ASSERT_FALSE(UploadWhole("a.bin", Pattern(400000)).empty());
    ASSERT_FALSE(UploadWhole("b.bin", Pattern(400000)).empty());
    auto admits = [&](int64_t length) {
        return CreateUpload(length, {{"filename", "c.bin"}})->status == 201;
    };
    for (const bool older : {false, true}) {
        SCOPED_TRACE(older ? "metadata of the previous version" : "same version");
        StopService();
        if (older)
            MakeVersion2(m_dataDir / "meta.db");
        StartService();
        m_token = Login("alice", "secret");
        EXPECT_FALSE(admits(248577));
        EXPECT_NE(m_client->Get("/lumenoApp/catalog", Auth())->body.find("<SpareSize>248576</SpareSize>"),
                  std::string::npos);
    }
    EXPECT_TRUE(admits(248576));
}

TEST_F(RestartAndFaultTest, AfterARestartTheOffsetCountsOnlyBytesTheDiskHolds) {
    const std::string content = Pattern(200000);
    auto created =
        CreateUpload(static_cast<int64_t>(content.size()),
                     {{"filename", "lost.bin"}, {"sha1", Sha1Hex(content)}}, content.substr(0, 120000));
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(created->get_header_value("Upload-Offset"), "120000");
    const std::string id = location.substr(location.rfind('/') + 1);
    StopService();
    // Chunks are not synced as they arrive: a crash of the machine may keep fewer bytes than were confirmed.
    std::filesystem::resize_file(m_dataDir / "uploads" / id, 50000);
    StartService();
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "50000");
    auto rest = Patch(location, 50000, content.substr(50000));
    ASSERT_EQ(rest->status, 204);  // the whole-file SHA-1 matched, though its saved state had to be dropped
    EXPECT_TRUE(Download(rest->get_header_value("X-Nimbra-File-Id")) == content);
}

TEST_F(RestartAndFaultTest, StaleUploadsAndLongExpiredTokensArePrunedAtStart) {
    auto created = CreateUpload(5000, {{"filename", "stale.bin"}}, "abcd");
    const std::string location = created->get_header_value("Location");
    auto finished = CreateUpload(4, {{"filename", "done.bin"}}, "abcd");
    ASSERT_EQ(finished->status, 201);
    m_client->Post("/__test/expire-tokens");
    // Recently expired, a token is still told apart from an unknown one.
    EXPECT_EQ(Head(location)->get_header_value("X-Nimbra-Error"), "9476");

    m_options.staleAfterSeconds = 0;  // everything counts as long ago
    StartService();
    auto head = Head(location);
    EXPECT_EQ(head->status, 401);
    EXPECT_FALSE(head->has_header("X-Nimbra-Error"));  // the token is gone, not merely expired
    m_token = Login("alice", "secret");
    EXPECT_EQ(Head(location)->status, 404);
    EXPECT_EQ(Head(finished->get_header_value("Location"))->status, 404);  // its file stays
    EXPECT_EQ(Download(finished->get_header_value("X-Nimbra-File-Id")), "abcd");
    EXPECT_TRUE(std::filesystem::is_empty(m_dataDir / "uploads"));
    EXPECT_NE(
        m_client->Get("/lumenoApp/catalog", Auth())
            ->body.find("<SpareSize>" + std::to_string(m_options.defaultQuotaBytes - 4) + "</SpareSize>"),
        std::string::npos);
}

TEST_F(RestartAndFaultTest, BytesPastTheConfirmedOffsetAreCutOnResume) {
    auto created = CreateUpload(8, {{"filename", "cut.bin"}}, "abcd");
    const std::string location = created->get_header_value("Location");
    const std::string id = location.substr(location.rfind('/') + 1);
    StopService();
    // A crash between writing and confirming leaves unconfirmed bytes behind.
    std::filesystem::resize_file(m_dataDir / "uploads" / id, 6);
    StartService();
    auto rest = Patch(location, 4, "efgh");
    EXPECT_EQ(Download(rest->get_header_value("X-Nimbra-File-Id")), "abcdefgh");
}

TEST_F(RestartAndFaultTest, InjectedErrorAnswersMatchingPathsForTheGivenCount) {
    ASSERT_EQ(m_client
                  ->Post("/__test/fault", httplib::Params{{"pathPrefix", kEndpoint},
                                                          {"errorStatus", "503"},
                                                          {"errorCode", "8000"},
                                                          {"count", "2"}})
                  ->status,
              204);
    EXPECT_EQ(m_client->Get("/lumenoApp/catalog", Auth())->status, 200);
    for (int i = 0; i < 2; ++i) {
        m_client = NewClient();
        auto res = CreateUpload(1, {{"filename", "x"}});
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 503);
        EXPECT_EQ(res->get_header_value("X-Nimbra-Error"), "8000");
    }
    m_client = NewClient();
    EXPECT_EQ(CreateUpload(1, {{"filename", "x"}})->status, 201);
}

TEST_F(RestartAndFaultTest, HangDelaysOnlyTheMatchingRequest) {
    ASSERT_EQ(
        m_client
            ->Post("/__test/fault", httplib::Params{{"pathPrefix", "/lumenoApp/catalog"}, {"hangMs", "2000"}})
            ->status,
        204);
    // The service cannot answer before its hang ends, so a client that waits less gives up.
    auto impatient = NewClient();
    impatient->set_read_timeout(0, 200000);
    EXPECT_FALSE(impatient->Get("/lumenoApp/catalog", Auth()));
    EXPECT_EQ(NewClient()->Get("/lumenoApp/catalog", Auth())->status, 200);
}

TEST_F(RestartAndFaultTest, HooksAreAbsentUnlessAskedFor) {
    m_options.testHooks = false;
    StartService();
    EXPECT_EQ(m_client->Post("/__test/expire-tokens", "", "")->status, 404);
    EXPECT_EQ(m_client->Get("/lumenoApp/catalog", Auth())->status, 200);
}

TEST_F(RestartAndFaultTest, UnusableDataFolderFailsToStart) {
    ServiceOptions options = m_options;
    options.dataDir = m_dataDir / "meta.db" / "inside-a-file";
    DiskService service(options);
    EXPECT_FALSE(service.Start());
    EXPECT_FALSE(service.LastError().empty());
    EXPECT_FALSE(service.AddAccount("x", "y", 1));
}

TEST_F(RestartAndFaultTest, SecondServiceOnTheSamePortFailsToStart) {
    ServiceOptions options = m_options;
    options.port = m_service->Port();
    DiskService second(options);
    EXPECT_FALSE(second.Start());
    EXPECT_FALSE(second.LastError().empty());
}

}  // namespace
}  // namespace nimbra::service::test

namespace nimbra::service::test {
namespace {

TEST_F(RestartAndFaultTest, AnOffsetCutAtRestartDropsTheRunningHashSavedPastIt) {
    // The bytes sent again after the cut differ from the lost ones (the client's file was rewritten): the
    // whole-file SHA-1 must be that of what the upload holds, not of a hash saved over the lost bytes.
    const std::string lost = Pattern(120000);
    std::string sent = lost.substr(0, 50000) + std::string(150000, 'n');
    auto created = CreateUpload(static_cast<int64_t>(sent.size()),
                                {{"filename", "cut.bin"}, {"sha1", Sha1Hex(sent)}}, lost);
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(created->get_header_value("Upload-Offset"), "120000");
    StopService();
    std::filesystem::resize_file(m_dataDir / "uploads" / location.substr(location.rfind('/') + 1), 50000);
    StartService();
    ASSERT_EQ(Head(location)->get_header_value("Upload-Offset"), "50000");
    ASSERT_EQ(Patch(location, 50000, sent.substr(50000, 70000))->status, 204);
    auto rest = Patch(location, 120000, sent.substr(120000));
    ASSERT_EQ(rest->status, 204);
    EXPECT_TRUE(Download(rest->get_header_value("X-Nimbra-File-Id")) == sent);
}

}  // namespace
}  // namespace nimbra::service::test

namespace nimbra::service::test {
namespace {

TEST_F(RestartAndFaultTest, StoppingTheServiceEndsARequestWaitingForItsBody) {
    auto created = CreateUpload(100, {{"filename", "w.bin"}});
    const std::string location = created->get_header_value("Location");
    RawConnection waiting(m_service->Port());
    ASSERT_TRUE(waiting.Send("PATCH " + PathOf(location) + " HTTP/1.1\r\nHost: h\r\nAuthorization: Bearer " +
                             m_token +
                             "\r\nContent-Type: application/offset+octet-stream\r\nUpload-Offset: 0\r\n"
                             "Expect: 100-continue\r\nContent-Length: 100\r\n\r\n"));
    ASSERT_EQ(waiting.Receive()->status, 100);
    StartService();  // stops the running one first: it must not wait for the body
    EXPECT_TRUE(waiting.ClosedByPeer());
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "0");
}

}  // namespace
}  // namespace nimbra::service::test
