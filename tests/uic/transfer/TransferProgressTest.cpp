#include <gtest/gtest.h>

#include "uic/UICUploadFile/transfer/TransferProgress.h"

namespace {

tagFileInfo Record(uint64_t size, uint64_t done) {
    tagFileInfo record;
    record.ullFileSize = size;
    record.ullDoneSize = done;
    return record;
}

TEST(ComputePercentTest, EmptyFilesShowNothingDoneAndTheLastTwoTenthsRoundUp) {
    EXPECT_EQ(ComputePercent(0, 0), 0.0);
    EXPECT_EQ(ComputePercent(500, 0), 0.0);
    EXPECT_EQ(PercentText(ComputePercent(999, 1000)), "100.0%");
    EXPECT_EQ(PercentText(ComputePercent(998, 1000)), "99.8%");
    EXPECT_EQ(PercentText(ComputePercent(997, 1000)), "99.7%");
    EXPECT_EQ(PercentText(ComputePercent(0, 1000)), "0.0%");
}

TEST(ComputePercentTest, LargeFilesUseAllSixtyFourBits) {
    const uint64_t total = 10ull << 32;
    EXPECT_EQ(PercentText(ComputePercent(total / 4, total)), "25.0%");
}

TEST(AdvanceTransferFiguresTest, ATickWithBytesGivesSpeedTimeLeftAndOneMoreSecond) {
    tagFileInfo record = Record(10 * 1048576, 1048576);
    record.nUsedTime = 4;
    const uint64_t delta =
        AdvanceTransferFigures(record, 3 * 1048576, ComputePercent(3 * 1048576, 10 * 1048576));
    EXPECT_EQ(delta, 2u * 1048576);
    EXPECT_EQ(record.strProgress, "30.0%");
    EXPECT_EQ(record.strSpeed, "2.00 MB/S");
    EXPECT_EQ(record.strTimeLeft, "00:00:03");  // 7 MB left at 2 MB a second, whole seconds
    EXPECT_EQ(record.ullDoneSize, 3u * 1048576);
    EXPECT_EQ(record.nUsedTime, 5u);
}

TEST(AdvanceTransferFiguresTest, ATickWithoutBytesDividesTheRestByOne) {
    tagFileInfo record = Record(1000, 400);
    EXPECT_EQ(AdvanceTransferFigures(record, 400, 40.0), 0u);
    EXPECT_EQ(record.strSpeed, "/S");
    EXPECT_EQ(record.strTimeLeft, "00:10:00");
    EXPECT_EQ(record.nUsedTime, 1u);
}

TEST(AdvanceTransferFiguresTest, BytesGoingBackwardsCountAsNoneMoved) {
    tagFileInfo record = Record(100000, 50000);
    EXPECT_EQ(AdvanceTransferFigures(record, 1000, 1.0), 0u);
    EXPECT_EQ(record.strSpeed, "/S");
    EXPECT_EQ(record.ullDoneSize, 1000u);
    // More done than the size: nothing left, not a wrapped-around estimate.
    AdvanceTransferFigures(record, 200000, 100.0);
    EXPECT_EQ(record.strTimeLeft, "00:00:00");
}

TEST(GetImageIndexByStateTest, RunningDiffersByDirectionAndUnknownStatesShareOneIcon) {
    EXPECT_EQ(GetImageIndexByState(TASK_WAITING, true), 0);
    EXPECT_EQ(GetImageIndexByState(TASK_PAUSED, false), 5);
    EXPECT_EQ(GetImageIndexByState(TASK_RUNNING, true), 6);
    EXPECT_EQ(GetImageIndexByState(TASK_RUNNING, false), 7);
    EXPECT_EQ(GetImageIndexByState(TASK_FINISHED, true), 3);
    for (const int32_t state : {4, 5, 6, 7, -1, 99}) {
        EXPECT_EQ(GetImageIndexByState(state, true), 4) << state;
    }
}

}  // namespace
