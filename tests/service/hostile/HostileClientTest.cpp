// A hostile client against nimbra-diskd in its own process: every way found to make one connection's bytes
// reach another, to grow the service's memory before sign-on, to have a refused request's body read as a
// request, to hold the service with slow clients, or to smuggle a request past the framing.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QByteArray>
#include <QXmlStreamReader>

#include <memory>
#include <string>
#include <vector>

#include "DiskdProcess.h"
#include "RawConnection.h"
#include "XmlCheck.h"
#include "service/Digest.h"

namespace nimbra::service::test {
namespace {

constexpr const char* kEndpoint = "/lumenoApp/share/pc_uploadFileRequest";
constexpr size_t kMiB = 1 << 20;

class HostileClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_service = std::make_unique<DiskdProcess>(std::vector<std::string>{
            "--test-hooks", "--add-account", "alice:alice-pw", "--add-account", "bob:bob-pw"});
        ASSERT_GT(m_service->Port(), 0) << m_service->FirstLine();
        m_alice = Login("alice", "alice-pw");
        m_bob = Login("bob", "bob-pw");
        ASSERT_FALSE(m_alice.empty());
        ASSERT_FALSE(m_bob.empty());
    }

    std::unique_ptr<httplib::Client> Client() const {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", m_service->Port());
        client->set_read_timeout(60, 0);
        return client;
    }
    std::string Login(const std::string& account, const std::string& password) const {
        auto res =
            Client()->Post("/lumenoApp/login", httplib::Params{{"account", account}, {"password", password}});
        if (!res || res->status != 200)
            return {};
        const size_t begin = res->body.find("<signOn>") + 8;
        return res->body.substr(begin, res->body.find("</signOn>") - begin);
    }
    static httplib::Headers Auth(const std::string& token) {
        return {{"Authorization", "Bearer " + token}, {"Tus-Resumable", "1.0.0"}};
    }
    // A new upload's path.
    std::string CreateUpload(const std::string& token, size_t length) const {
        auto headers = Auth(token);
        headers.emplace("Upload-Length", std::to_string(length));
        headers.emplace("Upload-Metadata", "filename " + Base64Encode("up.bin"));
        auto res = Client()->Post(kEndpoint, headers, "", "");
        const std::string location = res ? res->get_header_value("Location") : "";
        return location.substr(location.find(kEndpoint));
    }
    std::string Offset(const std::string& token, const std::string& upload) const {
        auto res = Client()->Head(upload, Auth(token));
        return res && res->status == 200 ? res->get_header_value("Upload-Offset") : "<gone>";
    }
    std::string Download(const std::string& token, const std::string& fileId) const {
        auto res = Client()->Get("/lumenoApp/file/" + fileId, Auth(token));
        return res && res->status == 200 ? res->body : "<download failed>";
    }
    std::string PatchHead(const std::string& token, const std::string& upload, int64_t offset,
                          const std::string& framing) const {
        return "PATCH " + upload + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token +
               "\r\nTus-Resumable: 1.0.0\r\nContent-Type: "
               "application/offset+octet-stream\r\nUpload-Offset: " +
               std::to_string(offset) + "\r\n" + framing + "\r\n";
    }
    void MoveClock(std::chrono::milliseconds by) const {
        auto res =
            Client()->Post("/__test/clock", httplib::Params{{"advanceMs", std::to_string(by.count())}});
        ASSERT_TRUE(res && res->status == 204);
    }
    // The service answers a plain request right now.
    bool Serves() const {
        auto res = Client()->Get("/lumenoApp/catalog", Auth(m_alice));
        return res && res->status == 200;
    }

    std::unique_ptr<DiskdProcess> m_service;
    std::string m_alice;
    std::string m_bob;
};

std::string Pattern(size_t size, unsigned seed) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 2654435761u + seed) >> 11);
    return data;
}

// Sends `total` bytes made by `piece` until the service stops taking them; how many it took.
size_t Flood(RawConnection& connection, size_t total, const std::string& piece) {
    size_t sent = 0;
    while (sent < total && connection.Send(piece))
        sent += piece.size();
    return sent;
}

TEST_F(HostileClientTest, BodiesNeverCrossConnectionsThatShareASourcePort) {
    constexpr size_t kSize = 4 * kMiB;
    const std::string aliceUpload = CreateUpload(m_alice, kSize);
    const std::string bobUpload = CreateUpload(m_bob, kSize);
    RawConnection alice(m_service->Port(), "127.0.0.1");
    RawConnection bob(m_service->Port(), "127.0.0.2", alice.LocalPort());
    ASSERT_TRUE(alice.Connected());
    ASSERT_TRUE(bob.Connected()) << "127.0.0.2:" << alice.LocalPort();
    const std::string aliceBytes = Pattern(kSize, 1);
    const std::string bobBytes = Pattern(kSize, 2);
    const std::string length = "Content-Length: " + std::to_string(kSize) + "\r\n";
    ASSERT_TRUE(alice.Send(PatchHead(m_alice, aliceUpload, 0, length)));
    ASSERT_TRUE(bob.Send(PatchHead(m_bob, bobUpload, 0, length)));
    // Both bodies in flight at once, piece by piece.
    for (size_t at = 0; at < kSize; at += 64 << 10) {
        ASSERT_TRUE(alice.Send(aliceBytes.substr(at, 64 << 10)));
        ASSERT_TRUE(bob.Send(bobBytes.substr(at, 64 << 10)));
    }
    const auto aliceAnswer = alice.Receive();
    const auto bobAnswer = bob.Receive();
    ASSERT_TRUE(aliceAnswer && bobAnswer);
    ASSERT_EQ(aliceAnswer->status, 204);
    ASSERT_EQ(bobAnswer->status, 204);
    EXPECT_TRUE(Download(m_alice, aliceAnswer->Header("x-nimbra-file-id")) == aliceBytes);
    EXPECT_TRUE(Download(m_bob, bobAnswer->Header("x-nimbra-file-id")) == bobBytes);
}

TEST_F(HostileClientTest, MemoryBeforeSignOnStaysBounded) {
    constexpr size_t kBound = 64 * kMiB;
    const std::string upload = CreateUpload(m_alice, 1000);
    const std::string block(kMiB, 'x');
    const size_t before = m_service->PeakResidentBytes();
    struct Attack {
        std::string what;
        std::string head;  // answered before its body is read
        int status;
        std::string body;
    };
    std::string chunk = "100000\r\n" + std::string(0x100000, 'c') + "\r\n";
    const std::string huge = "Content-Length: " + std::to_string(300 * kMiB) + "\r\n";
    const std::vector<Attack> attacks{
        {"a 300 MiB DELETE body", "DELETE " + upload + " HTTP/1.1\r\nHost: h\r\n" + huge + "\r\n", 413,
         block},
        {"a 300 MiB settings body", "PUT /lumenoApp/settings/x HTTP/1.1\r\nHost: h\r\n" + huge + "\r\n", 413,
         block},
        {"a 300 MiB PATCH body without sign-on",
         "PATCH " + upload + " HTTP/1.1\r\nHost: h\r\n" + huge + "\r\n", 401, block},
        {"300 MiB of chunks without sign-on",
         "PUT /lumenoApp/settings/x HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n", 401, chunk},
    };
    for (const Attack& attack : attacks) {
        RawConnection connection(m_service->Port());
        ASSERT_TRUE(connection.Send(attack.head)) << attack.what;
        const auto answer = connection.Receive();
        ASSERT_TRUE(answer) << attack.what;
        EXPECT_EQ(answer->status, attack.status) << attack.what;
        EXPECT_EQ(answer->Header("connection"), "close") << attack.what;
        EXPECT_LT(Flood(connection, 300 * kMiB, attack.body), kBound) << attack.what;
    }
    // Heads that never end: a request line without its newline, and 20,000 fields of 8 KB.
    {
        RawConnection connection(m_service->Port());
        EXPECT_LT(Flood(connection, 200 * kMiB, std::string(kMiB, 'A')), kBound);
        EXPECT_TRUE(connection.ClosedByPeer() || connection.Receive()->status == 414);
    }
    {
        RawConnection connection(m_service->Port());
        std::string fields = "GET /lumenoApp/catalog HTTP/1.1\r\n";
        for (int i = 0; fields.size() < kMiB; ++i)
            fields += "X-Field-" + std::to_string(i) + ": " + std::string(8000, 'v') + "\r\n";
        EXPECT_LT(Flood(connection, 20000 * 8000, fields), kBound);
    }
    EXPECT_LT(m_service->PeakResidentBytes() - before, kBound)
        << "peak resident memory grew from " << before / kMiB << " MiB";
    EXPECT_EQ(Offset(m_alice, upload), "0");  // the DELETE was not executed
    EXPECT_TRUE(Serves());
}

TEST_F(HostileClientTest, ARefusedRequestClosesItsConnectionSoItsBodyIsNeverReadAsARequest) {
    const std::string upload = CreateUpload(m_alice, 10);
    const std::string smuggled = "DELETE " + upload + " HTTP/1.1\r\nHost: h\r\nAuthorization: Bearer " +
                                 m_alice + "\r\nTus-Resumable: 1.0.0\r\n\r\n";
    const std::string length = "Content-Length: " + std::to_string(smuggled.size()) + "\r\n";
    struct Refused {
        std::string head;
        int status;
    };
    for (const Refused& refused : {Refused{PatchHead(m_alice, upload, 5, length), 409},  // a wrong offset
                                   Refused{PatchHead(m_alice, upload, 0, length), 413},  // past the length
                                   Refused{PatchHead("not-a-token", upload, 0, length), 401}}) {
        // The body follows the answer, as from a client that sends it only once the head was taken.
        RawConnection connection(m_service->Port());
        ASSERT_TRUE(connection.Send(refused.head));
        const auto answer = connection.Receive();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, refused.status);
        EXPECT_EQ(answer->Header("connection"), "close");
        connection.Send(smuggled);
        EXPECT_TRUE(connection.ClosedByPeer()) << refused.status;
        EXPECT_EQ(Offset(m_alice, upload), "0") << "the smuggled DELETE ran after " << refused.status;
    }
}

TEST_F(HostileClientTest, FramingThatCouldBeReadTwoWaysIsRefusedAndClosed) {
    const std::string upload = CreateUpload(m_alice, 100);
    const std::string body = "5\r\nhello\r\n0\r\n\r\n";
    for (const std::string framing :
         {"Content-Length: 5\r\nContent-Length: 5\r\n", "Content-Length: 5\r\nContent-Length: 17\r\n",
          "Content-Length: 17\r\nTransfer-Encoding: chunked\r\n", "Transfer-Encoding: notchunked\r\n",
          "Transfer-Encoding: gzip, chunked\r\n", "Transfer-Encoding: chunked\r\nX-Folded: a\r\n b\r\n",
          "Transfer-Encoding:\r\n chunked\r\n"}) {
        RawConnection connection(m_service->Port());
        ASSERT_TRUE(connection.Send(PatchHead(m_alice, upload, 0, framing) + body));
        const auto answer = connection.Receive();
        ASSERT_TRUE(answer) << framing;
        EXPECT_EQ(answer->status, 400) << framing;
        EXPECT_EQ(answer->Header("connection"), "close") << framing;
        EXPECT_TRUE(connection.ClosedByPeer()) << framing;
        EXPECT_EQ(Offset(m_alice, upload), "0") << framing;
    }
}

TEST_F(HostileClientTest, SlowClientsNeitherHoldTheServiceNorStayPastTheirDeadlines) {
    // 130 clients, each from an address of its own, each sending one header line every 2 s.
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 130; ++i) {
        slow.push_back(
            std::make_unique<RawConnection>(m_service->Port(), "127.0.1." + std::to_string(i + 2)));
        ASSERT_TRUE(slow.back()->Send("GET /lumenoApp/catalog HTTP/1.1\r\n")) << i;
    }
    for (int round = 1; round <= 4; ++round) {
        for (auto& connection : slow)
            ASSERT_TRUE(connection->Send("X-Slow-" + std::to_string(round) + ": 1\r\n"));
        MoveClock(std::chrono::seconds(2));
        EXPECT_TRUE(Serves()) << "round " << round;
    }
    // 8 s into their heads: still open. Well past the 10 s a whole head may take, closed.
    for (auto& connection : slow) {
        EXPECT_TRUE(connection->Quiet());
        ASSERT_TRUE(connection->Send("X-Slow-5: 1\r\n"));
    }
    MoveClock(std::chrono::seconds(4));
    for (size_t i = 0; i < slow.size(); ++i)
        EXPECT_TRUE(slow[i]->ClosedByPeer()) << i;

    // A kept-alive connection left idle, and a body asked for that never comes, are closed too.
    RawConnection idle(m_service->Port());
    ASSERT_TRUE(idle.Send("GET /lumenoApp/catalog HTTP/1.1\r\nHost: h\r\nAuthorization: Bearer " + m_alice +
                          "\r\n\r\n"));
    ASSERT_EQ(idle.Receive()->status, 200);
    const std::string upload = CreateUpload(m_alice, 100);
    RawConnection stalled(m_service->Port());
    ASSERT_TRUE(
        stalled.Send(PatchHead(m_alice, upload, 0, "Expect: 100-continue\r\nContent-Length: 100\r\n")));
    ASSERT_EQ(stalled.Receive()->status, 100);
    MoveClock(std::chrono::seconds(31));
    EXPECT_TRUE(idle.ClosedByPeer());
    EXPECT_TRUE(stalled.ClosedByPeer());
    EXPECT_EQ(Offset(m_alice, upload), "0");
    EXPECT_TRUE(Serves());
}

TEST_F(HostileClientTest, OnePeerAddressGetsAtMostItsShareOfConnections) {
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 64; ++i)
        held.push_back(std::make_unique<RawConnection>(m_service->Port(), "127.0.0.9"));
    RawConnection refused(m_service->Port(), "127.0.0.9");
    const auto answer = refused.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 503);
    EXPECT_TRUE(refused.ClosedByPeer());
    // Others are served meanwhile, and the peer gets a connection again once it gives one back.
    EXPECT_TRUE(Serves());
    held.pop_back();
    bool admitted = false;
    for (int attempt = 0; attempt < 200 && !admitted; ++attempt) {
        RawConnection again(m_service->Port(), "127.0.0.9");
        again.Send("GET /lumenoApp/catalog HTTP/1.1\r\nHost: h\r\nAuthorization: Bearer " + m_alice +
                   "\r\n\r\n");
        const auto reply = again.Receive();
        admitted = reply && reply->status == 200;
        if (!admitted)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(admitted);
}

TEST_F(HostileClientTest, PasswordGuessingIsSlowedDown) {
    int refused = 0;
    int held = 0;
    auto client = Client();
    for (int i = 0; i < 200; ++i) {
        auto res =
            client->Post("/lumenoApp/login", httplib::Params{{"account", "alice"}, {"password", "guess"}});
        ASSERT_TRUE(res);
        refused += res->status == 403;
        held += res->status == 429;
    }
    EXPECT_EQ(refused, 6);  // checked at all
    EXPECT_EQ(held, 194);
    EXPECT_EQ(Login("alice", "alice-pw"), "");
    MoveClock(std::chrono::seconds(1));
    EXPECT_NE(Login("alice", "alice-pw"), "");
}

TEST_F(HostileClientTest, AChecksumMismatchIsNamedAsSuch) {
    const std::string upload = CreateUpload(m_alice, 100);
    RawConnection connection(m_service->Port());
    ASSERT_TRUE(connection.Send(
        PatchHead(m_alice, upload, 0, "Content-Length: 4\r\nUpload-Checksum: crc32c AAAAAA==\r\n") + "abcd"));
    const auto answer = connection.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 460);
    EXPECT_EQ(answer->reason, "Checksum Mismatch");
}

TEST_F(HostileClientTest, EveryListingIsWellFormedXmlAfterHostileTexts) {
    const std::vector<std::string> texts{std::string("bad\xff", 4),
                                         "ctl\x01",
                                         std::string("nul\0x", 5),
                                         "<tag a=\"1\">&amp;</tag>",
                                         "\xef\xbf\xbf",
                                         "emoji \xf0\x9f\x98\x80",
                                         "quote'\"",
                                         "第一行\n第二行"};
    auto client = Client();
    for (const std::string& text : texts) {
        for (const char* key : {"tag", "description", "complexCid", "filename", "newCatalogName"}) {
            auto headers = Auth(m_alice);
            headers.emplace("Upload-Length", "0");
            headers.emplace("Upload-Metadata", std::string("filename ") + Base64Encode("t.txt") + "," + key +
                                                   " " + Base64Encode(text));
            client->Post(kEndpoint, headers, "", "");
        }
        client->Post("/lumenoApp/catalog/create", Auth(m_alice),
                     httplib::Params{{"parent", "root"}, {"name", text}});
    }
    const auto catalog = client->Get("/lumenoApp/catalog", Auth(m_alice));
    ASSERT_EQ(catalog->status, 200);
    EXPECT_EQ(XmlError(catalog->body), "") << catalog->body;
    QXmlStreamReader reader(QByteArray::fromStdString(catalog->body));
    int listings = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"catalogNode")
            continue;
        const std::string id = reader.attributes().value("catalogID").toString().toStdString();
        const auto files = client->Get("/lumenoApp/catalog/" + id + "/files", Auth(m_alice));
        ASSERT_EQ(files->status, 200) << id;
        EXPECT_EQ(XmlError(files->body), "") << id << ": " << files->body;
        ++listings;
    }
    EXPECT_GT(listings, 2);
}

}  // namespace
}  // namespace nimbra::service::test
