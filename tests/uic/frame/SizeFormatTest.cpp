#include <gtest/gtest.h>

#include "uic/UICUploadFile/frame/SizeFormat.h"

namespace {

TEST(TransferSizeTest, UnitsChangeAtOneKilobyteAndOneMegabyte) {
    EXPECT_EQ(MakeTransferSize(0), "");
    EXPECT_EQ(MakeTransferSize(1), "1 B");
    EXPECT_EQ(MakeTransferSize(1023), "1023 B");
    EXPECT_EQ(MakeTransferSize(1024), "1.00 KB");
    EXPECT_EQ(MakeTransferSize(1536), "1.50 KB");
    EXPECT_EQ(MakeTransferSize(1048575), "1024.00 KB");
    EXPECT_EQ(MakeTransferSize(1048576), "1.00 MB");
}

TEST(TransferSizeTest, SizesBeyondFourGigabytesKeepTheirValue) {
    EXPECT_EQ(MakeTransferSize(5ull * 1024 * 1048576), "5120.00 MB");
    EXPECT_EQ(MakeTransferSize((1ull << 32) + 512), "4096.00 MB");
}

TEST(FormatTimeTest, SplitsIntoHoursMinutesAndSeconds) {
    EXPECT_EQ(FormatTime(0), "00:00:00");
    EXPECT_EQ(FormatTime(59), "00:00:59");
    EXPECT_EQ(FormatTime(60), "00:01:00");
    EXPECT_EQ(FormatTime(3661), "01:01:01");
    EXPECT_EQ(FormatTime(36000 + 600 + 10), "10:10:10");
}

TEST(FormatTimeTest, HoursStopAtTwentyThreeKeepingTheRemainder) {
    EXPECT_EQ(FormatTime(90000), "23:00:00");
    EXPECT_EQ(FormatTime(90000 + 125), "23:02:05");
    EXPECT_EQ(FormatTime(INT64_MAX), "23:" + FormatTime(INT64_MAX % 3600).substr(3));
    EXPECT_EQ(FormatTime(-5), "00:00:00");
}

TEST(UploadSizeTest, WholeUnitsRoundedUpAtTheirBoundaries) {
    EXPECT_EQ(MakeSize(0), "0 B");
    EXPECT_EQ(MakeSize(1023), "1023 B");
    EXPECT_EQ(MakeSize(1024), "1 KB");
    EXPECT_EQ(MakeSize(1025), "2 KB");
    EXPECT_EQ(MakeSize(1048575), "1024 KB");
    EXPECT_EQ(MakeSize(1048576), "1 MB");
    EXPECT_EQ(MakeSize(1048577), "2 MB");
    EXPECT_EQ(MakeSize(5ull << 30), "5120 MB");
}

TEST(PropertySizeTest, TwoDecimalsAboveOneKilobyte) {
    EXPECT_EQ(MakePropertySize(0), "0 B");
    EXPECT_EQ(MakePropertySize(1023), "1023 B");
    EXPECT_EQ(MakePropertySize(1024), "1.00 KB");
    EXPECT_EQ(MakePropertySize(1048576 + 524288), "1.50 MB");
    EXPECT_EQ(MakePropertySize(6ull << 30), "6144.00 MB");
}

}  // namespace
