#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "ServiceFixture.h"

namespace nimbra::service::test {
namespace {

using SessionTest = ServiceFixture;

TEST_F(SessionTest, LoginAnswersTheResultDocumentInItsFixedOrder) {
    auto res =
        m_client->Post("/lumenoApp/login", httplib::Params{{"account", "alice"}, {"password", "secret"}});
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(res->body.c_str()));
    const pugi::xml_node result = doc.child("root").child("result");
    EXPECT_STREQ(result.attribute("resultCode").value(), "0");
    const pugi::xml_node uploadUrl = result.first_child();
    EXPECT_STREQ(uploadUrl.name(), "uploadUrl");
    EXPECT_EQ(std::string(uploadUrl.text().get()),
              "http://127.0.0.1:" + std::to_string(m_service->Port()) + kEndpoint);
    EXPECT_STREQ(uploadUrl.next_sibling().name(), "account");
    EXPECT_STREQ(uploadUrl.next_sibling().text().get(), "alice");
    EXPECT_STREQ(uploadUrl.next_sibling().next_sibling().name(), "signOn");
    EXPECT_EQ(std::string(result.child("signOn").text().get()).size(), 64u);
}

TEST_F(SessionTest, WrongPasswordAndUnknownAccountAreRefusedWith9001) {
    for (const auto& [account, password] : {std::pair{"alice", "Secret"}, std::pair{"nobody", "secret"}}) {
        auto res =
            m_client->Post("/lumenoApp/login", httplib::Params{{"account", account}, {"password", password}});
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 403);
        EXPECT_EQ(res->get_header_value("X-Nimbra-Error"), "9001");
        EXPECT_EQ(res->body, "<root><result resultCode=\"9001\"/></root>");
    }
    EXPECT_FALSE(m_service->AddAccount("alice", "other", 1));
    EXPECT_FALSE(m_service->AddAccount("a/b", "pw", 1));
}

TEST_F(SessionTest, MissingOrUnknownTokenIs401WithoutCode) {
    for (const auto& headers : {httplib::Headers{}, Auth("00ff")}) {
        auto res = m_client->Get("/lumenoApp/catalog", headers);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401);
        EXPECT_FALSE(res->has_header("X-Nimbra-Error"));
    }
}

TEST_F(SessionTest, ExpiredSignOnIsRefusedWith9476) {
    ASSERT_EQ(m_client->Post("/__test/expire-tokens", "", "")->status, 204);
    for (const char* path : {"/lumenoApp/catalog", "/lumenoApp/settings/x"}) {
        auto res = m_client->Get(path, Auth());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401) << path;
        EXPECT_EQ(res->get_header_value("X-Nimbra-Error"), "9476") << path;
    }
    auto head = m_client->Head(std::string(kEndpoint) + "/0123456789abcdef0123456789abcdef", Auth());
    EXPECT_EQ(head->get_header_value("X-Nimbra-Error"), "9476");
    // A new login gives a working token again.
    m_token = Login("alice", "secret");
    EXPECT_EQ(m_client->Get("/lumenoApp/catalog", Auth())->status, 200);
}

TEST_F(SessionTest, TokensLiveForTheConfiguredTime) {
    m_options.tokenTtlSeconds = 0;
    StartService();
    const std::string token = Login("alice", "secret");
    EXPECT_EQ(m_client->Get("/lumenoApp/catalog", Auth(token))->get_header_value("X-Nimbra-Error"), "9476");
}

}  // namespace
}  // namespace nimbra::service::test

namespace nimbra::service::test {
namespace {

TEST_F(SessionTest, GuessesAreSlowedDownWithAnAnswerThatSaysForHowLong) {
    auto login = [&](const char* password) {
        return m_client->Post("/lumenoApp/login",
                              httplib::Params{{"account", "alice"}, {"password", password}});
    };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(login("guess")->status, 403) << i;
    // Held up now, the right password included: a guess that happened to be right must not get through.
    for (const char* password : {"guess", "secret"}) {
        auto held = login(password);
        EXPECT_EQ(held->status, 429);
        EXPECT_EQ(held->get_header_value("Retry-After"), "1");
        EXPECT_EQ(held->get_header_value("X-Nimbra-Error"), "9001");
        EXPECT_EQ(held->body, "<root><result resultCode=\"9001\"/></root>");
    }
    ASSERT_EQ(m_client->Post("/__test/clock", httplib::Params{{"advanceMs", "1000"}})->status, 204);
    EXPECT_EQ(login("secret")->status, 200);
    EXPECT_EQ(login("guess")->status, 403);  // the success cleared the count
}

}  // namespace
}  // namespace nimbra::service::test
