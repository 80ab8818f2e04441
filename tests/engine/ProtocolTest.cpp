// The pieces of the wire protocol the engine writes and reads.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "TempDir.h"
#include "engine/Checksum.h"
#include "engine/ChunkPlan.h"
#include "engine/ServiceAnswer.h"
#include "engine/TusClient.h"

namespace nimbra::engine {
namespace {

TEST(ChecksumTest, AFileWindowIsChecksummedAsItsBytesAndAShortFileIsRefused) {
    TempDir dir;
    const std::string path = dir.File("abc");
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("xx123456789yy", f);
    std::fclose(f);
    std::FILE* in = std::fopen(path.c_str(), "r");
    const int fd = fileno(in);
    EXPECT_EQ(Checksum::Crc32cOfWindow(fd, 2, 9), 0xE3069283u);
    EXPECT_EQ(Checksum::Base64(0xE3069283u), "4waSgw==");  // the bytes E3 06 92 83, most significant first
    EXPECT_EQ(Checksum::Crc32cOfWindow(fd, 0, 0), 0u);
    EXPECT_FALSE(Checksum::Crc32cOfWindow(fd, 5, 10));  // the file ends before the window does
    std::fclose(in);
}

TEST(ChunkPlanTest, RequestsLastAboutTheChunkTimeAtTheMeasuredSpeedWithinTheLimits) {
    using std::chrono::milliseconds;
    constexpr uint64_t MiB = 1 << 20;
    constexpr uint64_t GiB = 1ull << 30;
    ChunkPlan plan;
    EXPECT_EQ(plan.LengthAt(0, GiB), ChunkPlan::kFirstChunkSize);
    EXPECT_EQ(plan.LengthAt(0, 100), 100u);
    EXPECT_EQ(plan.LengthAt(GiB, GiB), 0u);
    // Resumed without a measurement: as much as is confirmed, up to a limit.
    EXPECT_EQ(plan.LengthAt(100 * MiB, 8 * GiB), 100 * MiB);
    EXPECT_EQ(plan.LengthAt(GiB, 8 * GiB), ChunkPlan::kUnmeasuredChunkSize);
    plan.Measured(100 << 10, milliseconds(1000));  // too short to tell a speed
    EXPECT_EQ(plan.LengthAt(100 * MiB, 8 * GiB), 100 * MiB);

    plan.Measured(16 * MiB, milliseconds(160));  // 100 MiB/s: two seconds of it
    EXPECT_NEAR(static_cast<double>(plan.LengthAt(16 * MiB, 8 * GiB)), 200.0 * MiB, MiB);
    plan.Measured(16 * MiB, milliseconds(60'000));  // a slow link keeps the first size
    EXPECT_EQ(plan.LengthAt(100 * MiB, 8 * GiB), ChunkPlan::kFirstChunkSize);
    plan.Measured(16 * MiB, milliseconds(1));  // a fast one gets few requests, within the limit and the file
    EXPECT_EQ(plan.LengthAt(16 * MiB, 8 * GiB), ChunkPlan::kMaxChunkSize);
    EXPECT_EQ(plan.LengthAt(16 * MiB, GiB), GiB - 16 * MiB);
}

TEST(TusClientTest, MetadataCarriesNameAndDescriptionInBase64AndSkipsEmptyFields) {
    TaskRecord task;
    task.displayName = "报告.txt";
    task.parentCatalogId = "12";
    task.tag = "t";
    task.complexFlag = true;
    task.creationKey = "k1";
    EXPECT_EQ(TusClient::Metadata(task),
              "filename " + Checksum::Base64("报告.txt") +
                  ",parentCatalogId MTI=,tag dA==,complexFlag MQ==,creationKey azE=");
}

TEST(ServiceAnswerTest, NumbersAreWholeDecimalsOnly) {
    EXPECT_EQ(ServiceAnswer::ParseUnsigned("5368709127"), 5368709127ull);
    EXPECT_FALSE(ServiceAnswer::ParseUnsigned(""));
    EXPECT_FALSE(ServiceAnswer::ParseUnsigned("12abc"));
    EXPECT_FALSE(ServiceAnswer::ParseUnsigned("-1"));
}

}  // namespace
}  // namespace nimbra::engine
