// The reference editor as the component meets it: started by the session bus on the first call, signing
// in only with a credential sealed for the account around a token the network-disk service accepts, and
// showing what it is asked to open. Runs on a session bus of its own.
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QTemporaryDir>
#include <pugixml.hpp>

#include "digest/EditorCredential.h"
#include "platform/CodePage.h"
#include "platform/ToneEditorBus.h"
#include "service/DemoDownloads.h"
#include "service/DiskService.h"

namespace {

class ToneEditorBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        ASSERT_TRUE(m_dir.isValid());
        nimbra::service::ServiceOptions options;
        options.dataDir = m_dir.filePath("disk").toStdString();
        options.testHooks = true;
        m_service = std::make_unique<nimbra::service::DiskService>(options);
        ASSERT_TRUE(m_service->Start()) << m_service->LastError();
        ASSERT_TRUE(m_service->AddAccount(Gb18030ToUtf8(m_account), "pw", int64_t{1} << 30));
        m_serviceUrl = "http://127.0.0.1:" + std::to_string(m_service->Port());
        const auto login = Client().Post(
            "/lumenoApp/login", httplib::Params{{"account", Gb18030ToUtf8(m_account)}, {"password", "pw"}});
        ASSERT_TRUE(login && login->status == 200);
        pugi::xml_document doc;
        doc.load_string(login->body.c_str());
        m_token = doc.select_node("/root/result/signOn").node().text().as_string();
        ASSERT_FALSE(m_token.empty());
    }
    void TearDown() override {
        // The editor would go with this test's bus; it is asked to go first.
        if (QDBusConnection::sessionBus().interface()->isServiceRegistered(kToneEditorService)) {
            Editor()->call("Quit");
        }
        if (m_service) {
            m_service->Stop();
        }
    }

    httplib::Client Client() const { return httplib::Client("127.0.0.1", m_service->Port()); }
    static std::unique_ptr<QDBusInterface> Editor() {
        auto editor = std::make_unique<QDBusInterface>(kToneEditorService, kToneEditorPath,
                                                       kToneEditorInterface, QDBusConnection::sessionBus());
        editor->setTimeout(30000);
        return editor;
    }
    // The editor's answer to a login with the account and the credential as the component sends them.
    long Login(const std::string& account, const std::string& credential) {
        const QDBusReply<int> reply =
            Editor()->call("Login", ToQString(account), QString::fromStdString(credential));
        EXPECT_TRUE(reply.isValid()) << reply.error().message().toStdString();
        return reply.isValid() ? reply.value() : -2;
    }
    std::string Ticket(const std::string& token) const { return m_serviceUrl + " " + token; }

    QTemporaryDir m_dir;
    std::unique_ptr<nimbra::service::DiskService> m_service;
    const std::string m_account = "张三-" + std::to_string(getpid());  // GB18030, as the component has it
    std::string m_serviceUrl;
    std::string m_token;
};

TEST_F(ToneEditorBusTest, TheBusStartsTheEditorWhichSignsInOnlyWithATokenTheServiceAccepts) {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    ASSERT_FALSE(bus->isServiceRegistered(kToneEditorService).value());
    EXPECT_EQ(Login(m_account, SealEditorCredential(m_account, Ticket(m_token))), 0);
    EXPECT_TRUE(bus->isServiceRegistered(kToneEditorService).value());
    EXPECT_EQ(FromQString(Editor()->property("Account").toString()), m_account);

    // A token the service does not know, a credential sealed for another account, one that is no sealed
    // text at all, and a ticket for a service that is not there.
    EXPECT_EQ(Login(m_account, SealEditorCredential(m_account, Ticket("0123456789abcdef"))), -1);
    EXPECT_EQ(Login(m_account, SealEditorCredential("李四", Ticket(m_token))), -1);
    EXPECT_EQ(Login(m_account, "not sealed"), -1);
    EXPECT_EQ(Login(m_account, SealEditorCredential(m_account, m_token)), -1);
    EXPECT_EQ(Login(m_account, SealEditorCredential(m_account, "http://127.0.0.1:1 " + m_token)), -1);

    // The same credential once the service no longer accepts the token.
    ASSERT_EQ(Client().Post("/__test/expire-tokens")->status, 204);
    EXPECT_EQ(Login(m_account, SealEditorCredential(m_account, Ticket(m_token))), -1);
}

TEST_F(ToneEditorBusTest, OpenShowsTheFileAndAnEmptyPathOnlyBringsTheEditorUp) {
    QFile tone(m_dir.filePath("bell.wav"));
    ASSERT_TRUE(tone.open(QIODevice::WriteOnly));
    tone.write(QByteArray::fromStdString(nimbra::service::DemoDownloads::RingTone("bell.wav")));
    tone.close();
    const auto editor = Editor();
    EXPECT_TRUE(editor->property("CurrentFile").toString().isEmpty());
    ASSERT_TRUE(editor->call("Open", tone.fileName()).type() == QDBusMessage::ReplyMessage);
    EXPECT_EQ(editor->property("CurrentFile").toString(), tone.fileName());
    ASSERT_TRUE(editor->call("Open", QString()).type() == QDBusMessage::ReplyMessage);
    EXPECT_EQ(editor->property("CurrentFile").toString(), tone.fileName());
    // Nobody signed in yet.
    EXPECT_TRUE(editor->property("Account").toString().isEmpty());
}

}  // namespace
