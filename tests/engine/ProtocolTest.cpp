// The pieces of the wire protocol the engine writes and reads.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "TempDir.h"
#include "engine/Checksum.h"
#include "engine/ServiceAnswer.h"
#include "engine/TusClient.h"

namespace nimbra::engine {
namespace {

TEST(ChecksumTest, Sha1OfAWindowMatchesKnownDigestsAndRefusesAShortFile) {
    TempDir dir;
    const std::string path = dir.File("abc");
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("xxabcyy", f);
    std::fclose(f);
    std::FILE* in = std::fopen(path.c_str(), "r");
    const int fd = fileno(in);
    const auto abc = Checksum::Sha1OfWindow(fd, 2, 3);
    ASSERT_TRUE(abc);
    EXPECT_EQ(Checksum::Hex(*abc), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Checksum::Base64(*abc), "qZk+NkcGgWq6PiVxeFDCbJzQ2J0=");
    const auto empty = Checksum::Sha1OfWindow(fd, 0, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(Checksum::Hex(*empty), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_FALSE(Checksum::Sha1OfWindow(fd, 5, 10));  // the file ends before the window does
    std::atomic<bool> cancelled{true};
    EXPECT_FALSE(Checksum::Sha1OfWindow(fd, 0, 3, &cancelled));
    std::fclose(in);
}

TEST(TusClientTest, MetadataCarriesNameDescriptionAndDigestInBase64AndSkipsEmptyFields) {
    TaskRecord task;
    task.displayName = "报告.txt";
    task.parentCatalogId = "12";
    task.tag = "t";
    task.complexFlag = true;
    task.sha1Hex = "abc";
    EXPECT_EQ(TusClient::Metadata(task), "filename " + Checksum::Base64("报告.txt") +
                                             ",parentCatalogId MTI=,tag dA==,complexFlag MQ==,sha1 YWJj");
}

TEST(ServiceAnswerTest, NumbersAreWholeDecimalsOnly) {
    EXPECT_EQ(ServiceAnswer::ParseUnsigned("5368709127"), 5368709127ull);
    EXPECT_FALSE(ServiceAnswer::ParseUnsigned(""));
    EXPECT_FALSE(ServiceAnswer::ParseUnsigned("12abc"));
    EXPECT_FALSE(ServiceAnswer::ParseUnsigned("-1"));
}

}  // namespace
}  // namespace nimbra::engine
