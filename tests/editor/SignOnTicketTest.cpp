// The ticket the client seals into the editor's credential: a service root and a token, nothing else.
#include <gtest/gtest.h>

#include "SignOnTicket.h"

namespace {

TEST(SignOnTicketTest, AServiceRootAndATokenOneBlankApart) {
    const auto ticket = SignOnTicket::Parse("http://127.0.0.1:8080 9f8e7d6c");
    ASSERT_TRUE(ticket);
    EXPECT_EQ(ticket->serviceUrl, "http://127.0.0.1:8080");
    EXPECT_EQ(ticket->token, "9f8e7d6c");
    EXPECT_TRUE(SignOnTicket::Parse("http://disk.example 1"));
}

TEST(SignOnTicketTest, AnythingElseIsNoTicket) {
    for (const char* text : {"", "9f8e7d6c", "http://127.0.0.1:8080", "http://127.0.0.1:8080 ", " 9f8e7d6c",
                             "http://127.0.0.1:8080 9f8e 7d6c", "https://127.0.0.1:8080 t", "ftp://host t",
                             "http://127.0.0.1:8080/lumenoApp t", "http://127.0.0.1:8080? t",
                             "http://user@127.0.0.1:8080 t", "http:// t", "http://127.0.0.1:8080#x t"}) {
        EXPECT_FALSE(SignOnTicket::Parse(text)) << '"' << text << '"';
    }
}

}  // namespace
