#include <gtest/gtest.h>

#include "uic/UICUploadFile/transfer/TransferSort.h"

namespace {

TEST(CompareFileNamesTest, NumbersCompareAsNumbers) {
    EXPECT_EQ(CompareFileNames("file9.txt", "file10.txt"), -1);
    EXPECT_EQ(CompareFileNames("file10.txt", "file9.txt"), 1);
    EXPECT_EQ(CompareFileNames("img2a.jpg", "img2b.jpg"), -1);
    EXPECT_EQ(CompareFileNames("a1.txt", "b0.txt"), -1);
    EXPECT_EQ(CompareFileNames("File1", "file1"), -1);  // prefixes compare with case
    EXPECT_EQ(CompareFileNames("x99999999999999999999999", "x1"), 1);
}

TEST(CompareFileNamesTest, NamesWithoutDigitsCompareWholeAndBeforeTheSameTextWithANumber) {
    EXPECT_EQ(CompareFileNames("apple.txt", "banana.txt"), -1);
    EXPECT_EQ(CompareFileNames("zeta.doc", "alpha.doc"), 1);
    EXPECT_EQ(CompareFileNames("photo.jpg", "photo.png"), 0);  // the extension is not part of the name
    EXPECT_EQ(CompareFileNames("report", "report2"), -1);
    EXPECT_EQ(CompareFileNames("report2", "report"), 1);
}

TEST(SpeedTextValueTest, ReadsTheUnitOfTheText) {
    EXPECT_EQ(SpeedTextValue("1.50 MB/S"), 1.5 * 1048576);
    EXPECT_EQ(SpeedTextValue("2.00 KB/S"), 2048);
    EXPECT_EQ(SpeedTextValue("512 B/S"), 512);
    EXPECT_EQ(SpeedTextValue("/S"), 0);
}

TEST(SortKeyOfColumnTest, ReducedSetsShiftTheColumnsAndEndWithTheirOwnLastColumn) {
    EXPECT_EQ(SortKeyOfColumn(0, true, false), TransferSortKey::None);
    EXPECT_EQ(SortKeyOfColumn(4, true, false), TransferSortKey::Progress);
    EXPECT_EQ(SortKeyOfColumn(9, true, false), TransferSortKey::NetPath);
    EXPECT_EQ(SortKeyOfColumn(4, false, false), TransferSortKey::Speed);
    EXPECT_EQ(SortKeyOfColumn(6, false, false), TransferSortKey::UsedTime);
    EXPECT_EQ(SortKeyOfColumn(7, false, false), TransferSortKey::Directory);
    EXPECT_EQ(SortKeyOfColumn(7, false, true), TransferSortKey::NetPath);
    EXPECT_EQ(SortKeyOfColumn(8, false, true), TransferSortKey::None);
}

class SortTransferRecordsTest : public ::testing::Test {
protected:
    void Add(const char* name, uint64_t size, const char* speed, const char* netPath) {
        tagFileInfo record;
        record.strFileName = name;
        record.strFilePath = std::string("/data/") + name;
        record.ullFileSize = size;
        record.strSpeed = speed;
        record.strNetPath = netPath;
        records.push_back(record);
    }
    std::vector<std::string> Names(TransferSortKey key, int direction) {
        std::vector<const tagFileInfo*> pointers;
        for (const tagFileInfo& record : records) {
            pointers.push_back(&record);
        }
        std::vector<std::string> names;
        for (const size_t index : SortTransferRecords(pointers, key, direction)) {
            names.push_back(records[index].strFileName);
        }
        return names;
    }
    std::vector<tagFileInfo> records;
};

TEST_F(SortTransferRecordsTest, DirectionZeroPutsTheHighestFirstAndOneReverses) {
    Add("file10.txt", 30, "2.00 KB/S", "我的网盘\\b");
    Add("file9.txt", 10, "1.00 MB/S", "我的网盘\\A");
    Add("file1.txt", 20, "900 B/S", "我的网盘\\c");
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(TransferSortKey::FileName, 0), (V{"file10.txt", "file9.txt", "file1.txt"}));
    EXPECT_EQ(Names(TransferSortKey::FileName, 1), (V{"file1.txt", "file9.txt", "file10.txt"}));
    EXPECT_EQ(Names(TransferSortKey::Size, 0), (V{"file10.txt", "file1.txt", "file9.txt"}));
    EXPECT_EQ(Names(TransferSortKey::Speed, 1), (V{"file1.txt", "file10.txt", "file9.txt"}));
    // Net paths compare without regard to case.
    EXPECT_EQ(Names(TransferSortKey::NetPath, 1), (V{"file9.txt", "file10.txt", "file1.txt"}));
}

TEST_F(SortTransferRecordsTest, EqualKeysKeepTheirOrder) {
    Add("b.txt", 5, "/S", "");
    Add("a.txt", 5, "/S", "");
    Add("c.txt", 5, "/S", "");
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(TransferSortKey::Size, 0), (V{"b.txt", "a.txt", "c.txt"}));
    EXPECT_EQ(Names(TransferSortKey::Speed, 1), (V{"b.txt", "a.txt", "c.txt"}));
}

}  // namespace
