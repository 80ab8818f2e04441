#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

#include "RawConnection.h"
#include "ServiceFixture.h"
#include "service/Digest.h"
#include "service/SqliteDb.h"

namespace nimbra::service::test {
namespace {

using TusUploadTest = ServiceFixture;

TEST_F(TusUploadTest, OptionsAdvertisesExtensionsWithoutSignOn) {
    auto res = m_client->Options(kEndpoint);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 204);
    EXPECT_EQ(res->get_header_value("Tus-Version"), "1.0.0");
    EXPECT_EQ(res->get_header_value("Tus-Extension"),
              "creation,creation-with-upload,termination,checksum,checksum-trailer");
    EXPECT_EQ(res->get_header_value("Tus-Checksum-Algorithm"), "crc32c,sha1,md5");
    EXPECT_EQ(res->get_header_value("Tus-Max-Size"), std::to_string(m_options.maxFileBytes));
}

TEST_F(TusUploadTest, CreateHeadPatchInChunksThenDownload) {
    const std::string content = "The quick brown fox jumps over the lazy dog";
    auto created =
        CreateUpload(static_cast<int64_t>(content.size()), {{"filename", "fox.txt"}, {"tag", "animals"}});
    ASSERT_TRUE(created);
    ASSERT_EQ(created->status, 201);
    EXPECT_EQ(created->get_header_value("Upload-Offset"), "0");
    const std::string location = created->get_header_value("Location");
    ASSERT_EQ(location.rfind(m_service->BaseUrl() + kEndpoint + "/", 0), 0u) << location;

    auto head = Head(location);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->get_header_value("Upload-Offset"), "0");
    EXPECT_EQ(head->get_header_value("Upload-Length"), std::to_string(content.size()));
    EXPECT_EQ(head->get_header_value("Cache-Control"), "no-store");

    auto first = Patch(location, 0, content.substr(0, 10));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 204);
    EXPECT_EQ(first->get_header_value("Upload-Offset"), "10");
    EXPECT_FALSE(first->has_header("X-Nimbra-File-Id"));

    auto last = Patch(location, 10, content.substr(10));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->status, 204);
    EXPECT_EQ(last->get_header_value("Upload-Offset"), std::to_string(content.size()));
    const std::string fileId = last->get_header_value("X-Nimbra-File-Id");
    ASSERT_FALSE(fileId.empty());
    EXPECT_TRUE(Download(fileId) == content);

    // A client that lost the last answer can still learn the file id.
    auto confirm = Head(location);
    EXPECT_EQ(confirm->get_header_value("Upload-Offset"), std::to_string(content.size()));
    EXPECT_EQ(confirm->get_header_value("X-Nimbra-File-Id"), fileId);
}

TEST_F(TusUploadTest, CreationWithUploadKeepsFirstChunkAndEmptyFileFinishesAtOnce) {
    auto created = CreateUpload(6, {{"filename", "abc.txt"}}, "abc");
    ASSERT_TRUE(created);
    EXPECT_EQ(created->status, 201);
    EXPECT_EQ(created->get_header_value("Upload-Offset"), "3");
    auto rest = Patch(created->get_header_value("Location"), 3, "def");
    EXPECT_EQ(Download(rest->get_header_value("X-Nimbra-File-Id")), "abcdef");

    auto empty = CreateUpload(0, {{"filename", "empty.txt"}});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->status, 201);
    const std::string emptyId = empty->get_header_value("X-Nimbra-File-Id");
    ASSERT_FALSE(emptyId.empty());
    EXPECT_EQ(Download(emptyId), "");
}

TEST_F(TusUploadTest, WrongOffsetIsRefusedWith409AndCurrentOffset) {
    auto created = CreateUpload(10, {{"filename", "a.bin"}}, "12345");
    const std::string location = created->get_header_value("Location");
    auto stale = Patch(location, 0, "12345");
    ASSERT_TRUE(stale);
    EXPECT_EQ(stale->status, 409);
    auto ahead = NewClient()->Patch(
        PathOf(location),
        [&] {
            auto h = Auth();
            h.emplace("Upload-Offset", "7");
            return h;
        }(),
        "xyz", "application/offset+octet-stream");
    EXPECT_EQ(ahead->status, 409);
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "5");
}

TEST_F(TusUploadTest, APatchThatWaitedForTheUploadSeesWhereTheRequestBeforeItEnded) {
    // One PATCH at offset 0 holds the upload while its body comes in two halves; another PATCH at offset 0
    // arrives in between and waits. Only one of them may count: the other must learn the new offset, not
    // write over the bytes just stored.
    constexpr size_t kHalf = 32 << 10;
    auto created = CreateUpload(4 * kHalf, {{"filename", "raced.bin"}});
    const std::string location = created->get_header_value("Location");
    auto headers = Auth();
    headers.emplace("Upload-Offset", "0");
    const std::string first(2 * kHalf, 'a');
    const std::string second(2 * kHalf, 'b');

    std::promise<void> firstHalfSent;
    std::promise<void> goOn;
    auto goOnSignal = goOn.get_future().share();
    int firstStatus = 0;
    std::thread slow([&] {
        auto client = NewClient();
        bool signalled = false;
        auto res = client->Patch(
            PathOf(location), headers, first.size(),
            [&](size_t offset, size_t length, httplib::DataSink& sink) {
                if (offset == kHalf && !signalled) {
                    signalled = true;
                    firstHalfSent.set_value();
                    goOnSignal.wait();
                }
                const size_t end = offset < kHalf ? kHalf : offset + length;
                return sink.write(first.data() + offset, end - offset);
            },
            "application/offset+octet-stream");
        firstStatus = res ? res->status : -1;
    });
    firstHalfSent.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the first request holds the upload
    int secondStatus = 0;
    std::string secondOffset;
    std::thread waiting([&] {
        auto res = NewClient()->Patch(PathOf(location), headers, second, "application/offset+octet-stream");
        secondStatus = res ? res->status : -1;
        secondOffset = res ? res->get_header_value("Upload-Offset") : "";
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the second one waits for it
    goOn.set_value();
    slow.join();
    waiting.join();

    EXPECT_EQ(std::multiset<int>({firstStatus, secondStatus}), std::multiset<int>({204, 409}));
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), std::to_string(2 * kHalf));
    const std::string& stored = firstStatus == 204 ? first : second;
    const std::string rest(2 * kHalf, 'c');
    auto last = Patch(location, 2 * kHalf, rest);
    ASSERT_TRUE(last);
    ASSERT_EQ(last->status, 204);
    const std::string expected = stored + rest;
    const std::string downloaded = Download(last->get_header_value("X-Nimbra-File-Id"));
    ASSERT_EQ(downloaded.size(), expected.size());
    const auto differ = std::mismatch(downloaded.begin(), downloaded.end(), expected.begin());
    EXPECT_TRUE(differ.first == downloaded.end())
        << "first difference at byte " << differ.first - downloaded.begin();
    if (firstStatus == 204) {
        EXPECT_EQ(secondOffset, std::to_string(2 * kHalf));
    }
}

TEST_F(TusUploadTest, PatchNeedsOffsetStreamAndMayNotPassTheLength) {
    auto created = CreateUpload(4, {{"filename", "a.bin"}});
    const std::string location = created->get_header_value("Location");
    auto headers = Auth();
    headers.emplace("Upload-Offset", "0");
    auto wrongType = NewClient()->Patch(PathOf(location), headers, "abcd", "text/plain");
    EXPECT_EQ(wrongType->status, 415);
    auto tooLong = Patch(location, 0, "abcdef");
    EXPECT_EQ(tooLong->status, 413);
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "0");
}

TEST_F(TusUploadTest, ChunkChecksumMismatchKeepsNothingAndGoodChecksumIsAccepted) {
    auto created = CreateUpload(17, {{"filename", "sum.bin"}}, "abcd");
    const std::string location = created->get_header_value("Location");

    auto bad = Patch(location, 4, "efgh", Sha1Base64("EFGH"));
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 460);
    EXPECT_EQ(bad->get_header_value("X-Nimbra-Error"), "9493");
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "4");
    EXPECT_EQ(std::filesystem::file_size(m_dataDir / "uploads" /
                                         PathOf(location).substr(PathOf(location).rfind('/') + 1)),
              4u);

    auto unsupported = Patch(location, 4, "efgh", "crc32 AAAAAA==");
    EXPECT_EQ(unsupported->status, 400);
    auto badCrc = Patch(location, 4, "efgh", "crc32c 4waSgw==");
    EXPECT_EQ(badCrc->status, 460);

    auto good = Patch(location, 4, "efgh", Sha1Base64("efgh"));
    EXPECT_EQ(good->status, 204);
    // CRC-32C of "123456789" is E3069283, sent most significant byte first.
    auto goodCrc = Patch(location, 8, "123456789", "crc32c 4waSgw==");
    EXPECT_EQ(goodCrc->status, 204);
    EXPECT_EQ(Download(goodCrc->get_header_value("X-Nimbra-File-Id")), "abcdefgh123456789");
}

int64_t SpareSize(httplib::Client& client, const httplib::Headers& auth) {
    const std::string catalog = client.Get("/lumenoApp/catalog", auth)->body;
    const auto start = catalog.find("<SpareSize>") + std::string("<SpareSize>").size();
    return std::stoll(catalog.substr(start, catalog.find("</SpareSize>") - start));
}

TEST_F(TusUploadTest, ACreationWhoseBodyFailsLeavesNoUploadBehind) {
    const int64_t spare = SpareSize(*m_client, Auth());
    // Refused for its checksum: the answer names no upload, so none may keep space.
    auto bad = CreateUpload(4, {{"filename", "c.bin"}}, "abcd", Sha1Base64("dcba"));
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 460);
    EXPECT_FALSE(bad->has_header("Location"));
    EXPECT_EQ(SpareSize(*m_client, Auth()), spare);

    // Cut off in the middle of its body, without an answer.
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_service->Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string request =
        std::string("POST ") + kEndpoint + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " +
        m_token +
        "\r\nTus-Resumable: 1.0.0\r\nUpload-Length: 100000\r\nUpload-Metadata: filename "
        "Y3V0\r\nContent-Type: application/offset+octet-stream\r\nContent-Length: "
        "100000\r\n\r\n" +
        std::string(1000, 'x');
    ASSERT_EQ(send(sock, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
    close(sock);
    EXPECT_TRUE([&] {
        for (int i = 0; i < 500; ++i) {
            if (SpareSize(*m_client, Auth()) == spare && std::filesystem::is_empty(m_dataDir / "uploads"))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }());
}

TEST_F(TusUploadTest, ACreationRepeatedWithItsKeyReplacesTheUnansweredOneOrAnswersForIt) {
    const int64_t spare = SpareSize(*m_client, Auth());
    // Unfinished: the repeat takes the place of the first, whose answer the client never saw.
    auto first = CreateUpload(5000, {{"filename", "k.bin"}, {"creationKey", "key-1"}}, "abcd");
    auto again = CreateUpload(5000, {{"filename", "k.bin"}, {"creationKey", "key-1"}}, "abcd");
    ASSERT_EQ(again->status, 201);
    EXPECT_EQ(Head(first->get_header_value("Location"))->status, 404);
    EXPECT_EQ(Head(again->get_header_value("Location"))->get_header_value("Upload-Offset"), "4");
    EXPECT_EQ(SpareSize(*m_client, Auth()), spare - 5000);  // held once

    // Finished: the repeat is answered for the first, and no second file is made.
    auto whole = CreateUpload(4, {{"filename", "w.bin"}, {"creationKey", "key-2"}}, "wxyz");
    auto repeat = CreateUpload(4, {{"filename", "w.bin"}, {"creationKey", "key-2"}}, "wxyz");
    ASSERT_EQ(repeat->status, 201);
    EXPECT_EQ(repeat->get_header_value("X-Nimbra-File-Id"), whole->get_header_value("X-Nimbra-File-Id"));
    EXPECT_EQ(repeat->get_header_value("Upload-Offset"), "4");
    const std::string files = m_client->Get("/lumenoApp/catalog/root/files", Auth())->body;
    EXPECT_EQ(files.find("name=\"w.bin\""), files.rfind("name=\"w.bin\""));

    EXPECT_EQ(CreateUpload(4, {{"filename", "x.bin"}, {"creationKey", "not plain"}})->status, 400);
}

TEST_F(TusUploadTest, WholeFileSha1MismatchDiscardsTheUpload) {
    const std::string content = "payload";
    auto created = CreateUpload(7, {{"filename", "p.bin"}, {"sha1", Sha1Hex("other")}});
    const std::string location = created->get_header_value("Location");
    auto last = Patch(location, 0, content);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->status, 460);
    EXPECT_EQ(last->get_header_value("X-Nimbra-Error"), "9493");
    EXPECT_EQ(Head(location)->status, 404);
    EXPECT_TRUE(std::filesystem::is_empty(m_dataDir / "uploads"));

    EXPECT_FALSE(UploadWhole("p.bin", content, {{"sha1", Sha1Hex(content)}}).empty());
}

TEST_F(TusUploadTest, TerminationRemovesBytesAndFreesTheReservation) {
    auto created = CreateUpload(600000, {{"filename", "big.bin"}}, std::string(1000, 'x'));
    const std::string location = created->get_header_value("Location");
    // The unfinished upload holds 600,000 of the 1 MiB quota.
    EXPECT_EQ(CreateUpload(600000, {{"filename", "second.bin"}})->status, 413);

    auto deleted = m_client->Delete(PathOf(location), Auth());
    ASSERT_TRUE(deleted);
    EXPECT_EQ(deleted->status, 204);
    EXPECT_EQ(Head(location)->status, 404);
    EXPECT_TRUE(std::filesystem::is_empty(m_dataDir / "uploads"));
    EXPECT_EQ(CreateUpload(600000, {{"filename", "second.bin"}})->status, 201);
}

TEST_F(TusUploadTest, CreationRefusals) {
    auto overQuota = CreateUpload((1 << 20) + 1, {{"filename", "huge.bin"}});
    EXPECT_EQ(overQuota->status, 413);
    EXPECT_EQ(overQuota->get_header_value("X-Nimbra-Error"), "9436");

    auto missingParent = CreateUpload(1, {{"filename", "a"}, {"parentCatalogId", "424242"}});
    EXPECT_EQ(missingParent->status, 404);
    EXPECT_EQ(missingParent->get_header_value("X-Nimbra-Error"), "9162");

    for (const std::string& name :
         std::vector<std::string>{"", "a/b", "a\\b", "..", std::string("bad\xff", 4)}) {
        auto refused = CreateUpload(1, {{"filename", name}});
        EXPECT_EQ(refused->status, 400) << name;
        EXPECT_EQ(refused->get_header_value("X-Nimbra-Error"), "9493") << name;
    }
    auto badCatalogName = CreateUpload(1, {{"filename", "a"}, {"newCatalogName", "x/y"}});
    EXPECT_EQ(badCatalogName->get_header_value("X-Nimbra-Error"), "9493");

    httplib::Headers headers = Auth();
    headers.emplace("Upload-Length", "-5");
    headers.emplace("Upload-Metadata", "filename YQ==");
    EXPECT_EQ(m_client->Post(kEndpoint, headers, "", "")->status, 400);
}

TEST_F(TusUploadTest, ParallelCreationsNeverOverbookTheQuota) {
    // 24 creations of 100,000 bytes race for a 1 MiB quota: exactly 10 fit.
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            auto client = NewClient();
            for (int i = 0; i < 3; ++i) {
                httplib::Headers headers = Auth();
                headers.emplace("Upload-Length", "100000");
                headers.emplace("Upload-Metadata", "filename YQ==");
                auto res = client->Post(kEndpoint, headers, "", "");
                if (res && res->status == 201)
                    ++created;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(created.load(), 10);
}

TEST_F(TusUploadTest, UploadsFinishingTogetherEachBecomeTheirOwnFile) {
    // Many clients connecting at once, each sending a whole file in its creation: their finishes share
    // syncs and commits, but every file keeps its own id and bytes.
    constexpr int kClients = 32;
    std::vector<std::string> fileIds(kClients);
    std::vector<std::thread> threads;
    for (int t = 0; t < kClients; ++t)
        threads.emplace_back([&, t] {
            auto client = NewClient();
            const std::string content = "file " + std::to_string(t) + std::string(1000 + t, 'x');
            httplib::Headers headers = Auth();
            headers.emplace("Upload-Length", std::to_string(content.size()));
            headers.emplace("Upload-Metadata", "filename " + Base64Encode("f" + std::to_string(t)));
            auto res = client->Post(kEndpoint, headers, content, "application/offset+octet-stream");
            if (res && res->status == 201)
                fileIds[t] = res->get_header_value("X-Nimbra-File-Id");
        });
    for (auto& thread : threads)
        thread.join();
    std::set<std::string> distinct(fileIds.begin(), fileIds.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kClients));
    for (int t = 0; t < kClients; ++t) {
        ASSERT_FALSE(fileIds[t].empty()) << "client " << t;
        EXPECT_EQ(Download(fileIds[t]), "file " + std::to_string(t) + std::string(1000 + t, 'x'));
    }
}

TEST_F(TusUploadTest, FileSizeLimitIsEnforced) {
    m_options.maxFileBytes = 100;
    StartService();
    auto res = CreateUpload(101, {{"filename", "a"}});
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->get_header_value("X-Nimbra-Error"), "9436");
    EXPECT_EQ(CreateUpload(100, {{"filename", "a"}})->status, 201);
}

TEST_F(TusUploadTest, UploadsOfOtherAccountsAndOtherTusVersionsAreRefused) {
    auto created = CreateUpload(3, {{"filename", "mine"}});
    const std::string location = created->get_header_value("Location");
    ASSERT_TRUE(m_service->AddAccount("bob", "pw", 1 << 20));
    const std::string bob = Login("bob", "pw");
    EXPECT_EQ(m_client->Head(PathOf(location), Auth(bob))->status, 404);
    EXPECT_EQ(m_client->Delete(PathOf(location), Auth(bob))->status, 404);

    httplib::Headers old = {{"Authorization", "Bearer " + m_token}, {"Tus-Resumable", "0.2.2"}};
    auto res = m_client->Head(PathOf(location), old);
    EXPECT_EQ(res->status, 412);
    EXPECT_EQ(res->get_header_value("Tus-Version"), "1.0.0");
}

TEST_F(TusUploadTest, LengthsPast4GiBUse64BitOffsets) {
    m_options.defaultQuotaBytes = int64_t{8} << 30;
    StartService();
    ASSERT_TRUE(m_service->AddAccount("big", "pw", int64_t{8} << 30));
    m_token = Login("big", "pw");
    const int64_t length = (int64_t{4} << 30) + 7;
    auto created = CreateUpload(length, {{"filename", "disk.img"}});
    ASSERT_EQ(created->status, 201);
    const std::string location = created->get_header_value("Location");
    EXPECT_EQ(Head(location)->get_header_value("Upload-Length"), std::to_string(length));

    // Stand in for 4 GiB already sent: a sparse file, its confirmed offset and a running hash said to cover
    // it (hashing 4 GiB here would only slow the test down).
    const std::string id = PathOf(location).substr(PathOf(location).rfind('/') + 1);
    const int64_t confirmed = length - 4;
    std::filesystem::resize_file(m_dataDir / "uploads" / id, static_cast<uintmax_t>(confirmed));
    StopService();
    {
        SqliteDb db(m_dataDir / "meta.db");
        db.Prepare("UPDATE uploads SET offset = ?1, hash_offset = ?1 WHERE id = ?2")
            .Bind(1, confirmed)
            .Bind(2, id)
            .Run();
    }
    StartService();
    auto head = Head(location);
    EXPECT_EQ(head->get_header_value("Upload-Offset"), std::to_string(confirmed));
    auto patched = Patch(location, confirmed, "tail");
    ASSERT_TRUE(patched);
    EXPECT_EQ(patched->status, 204);
    EXPECT_EQ(patched->get_header_value("Upload-Offset"), std::to_string(length));
    const std::string fileId = patched->get_header_value("X-Nimbra-File-Id");
    ASSERT_FALSE(fileId.empty());

    auto tail = m_client->Get("/lumenoApp/file/" + fileId, [&] {
        auto h = Auth();
        h.emplace("Range", "bytes=" + std::to_string(length - 6) + "-");
        return h;
    }());
    EXPECT_EQ(tail->status, 206);
    EXPECT_EQ(tail->body, std::string("\0\0tail", 6));
    EXPECT_EQ(tail->get_header_value("Content-Range"), "bytes " + std::to_string(length - 6) + "-" +
                                                           std::to_string(length - 1) + "/" +
                                                           std::to_string(length));
}

}  // namespace
}  // namespace nimbra::service::test

namespace nimbra::service::test {
namespace {

TEST_F(TusUploadTest, ARepeatedCreationNeverMakesASecondUploadForItsKey) {
    m_options.uploadLockPatienceMs = 0;  // a held upload is not waited for
    StartService();
    auto first = CreateUpload(10, {{"filename", "k.bin"}, {"creationKey", "held"}}, "ab");
    const std::string path = PathOf(first->get_header_value("Location"));
    // A PATCH whose body is wanted (the service asked for it) and only half sent holds the upload.
    RawConnection holder(m_service->Port());
    ASSERT_TRUE(holder.Send("PATCH " + path + " HTTP/1.1\r\nHost: h\r\nAuthorization: Bearer " + m_token +
                            "\r\nContent-Type: application/offset+octet-stream\r\nUpload-Offset: 2\r\n"
                            "Expect: 100-continue\r\nContent-Length: 8\r\n\r\n"));
    ASSERT_EQ(holder.Receive()->status, 100);
    ASSERT_TRUE(holder.Send("cdef"));
    EXPECT_EQ(CreateUpload(10, {{"filename", "k.bin"}, {"creationKey", "held"}}, "ab")->status, 423);
    ASSERT_TRUE(holder.Send("ghij"));
    EXPECT_EQ(holder.Receive()->status, 204);
    SqliteDb db(m_dataDir / "meta.db");
    auto count = db.Prepare("SELECT COUNT(*) FROM uploads WHERE creation_key = 'held'");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Int(0), 1);
    EXPECT_EQ(Head(first->get_header_value("Location"))->get_header_value("Upload-Offset"), "10");
}

}  // namespace
}  // namespace nimbra::service::test
