#include "uic/UICUploadFile/upload/UploadRules.h"

#include <gtest/gtest.h>

#include "TestHostCore.h"
#include "UploadTestTexts.h"
#include "function/ToolsHelp.h"
#include "uic/UICUploadFile/upload/ContentType.h"

namespace {

using Kind = RuleVerdict::Kind;

std::string LimitsDoc(int count, const std::string& total, const std::string& spare, int code = 0) {
    return "<result resultCode=\"" + std::to_string(code) + "\"><MaxUploadFilesNumber>" +
           std::to_string(count) + "</MaxUploadFilesNumber><MaxUploadFilesSize>" + total +
           "</MaxUploadFilesSize><SpareSize>" + spare + "</SpareSize></result>";
}

tagUploadRow Row(const std::string& name, uint64_t size) {
    return {"/home/user/" + name, size, -1, false};
}

class UploadRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseKeyNamesAsUploadTexts(host.lang);
        g_IOrvaLange = &host.lang;
    }
    void TearDown() override { g_IOrvaLange = nullptr; }

    testhost::TestHostCore host;
    CUploadRules rules;
};

TEST_F(UploadRulesTest, LimitsAreReadFromTheResultAndKeptWhenMissing) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(10, "6442450944", "5368709120", 70000)), 0);
    EXPECT_EQ(rules.ResultCode(), 70000 & 0xFFFF);
    EXPECT_EQ(rules.MaxFileCount(), 10);
    EXPECT_EQ(rules.MaxTotalSize(), 6442450944u);
    EXPECT_EQ(rules.SpareSize(), 5368709120u);

    EXPECT_EQ(rules.SetLimits("<result resultCode=\"0\"><SpareSize>7</SpareSize></result>"), 0);
    EXPECT_EQ(rules.MaxFileCount(), 10);
    EXPECT_EQ(rules.SpareSize(), 7u);

    EXPECT_EQ(rules.SetLimits("<answer><SpareSize>9</SpareSize></answer>"), -1);
    EXPECT_EQ(rules.SpareSize(), 7u);

    EXPECT_EQ(rules.SetLimits("<root>" + LimitsDoc(3, "10", "20", 9164) + "</root>"), 0);
    EXPECT_EQ(rules.ResultCode(), 9164);
    EXPECT_EQ(rules.MaxFileCount(), 3);
    EXPECT_EQ(rules.SpareSize(), 20u);
}

TEST_F(UploadRulesTest, FileCountUpToTheLimitPassesOneMoreIsRefusedWithTheNumber) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(2, "1000", "1000")), 0);
    EXPECT_TRUE(rules.IsRight({Row("a.txt", 1), Row("b.txt", 1)}).Passed());

    const RuleVerdict verdict = rules.IsRight({Row("a.txt", 1), Row("b.txt", 1), Row("c.txt", 1)});
    EXPECT_EQ(verdict.kind, Kind::Tip);
    EXPECT_EQ(verdict.tip, "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED2IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES");

    EXPECT_EQ(rules.IsRight({}).tip, "IDS_UPLOAD_INFO_FILENUMZERO");
}

TEST_F(UploadRulesTest, BeforeAnyLimitsArriveEveryListFailsTheCount) {
    EXPECT_EQ(rules.IsRight({Row("a.txt", 0)}).tip,
              "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED0IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES");
}

TEST_F(UploadRulesTest, ServerVerdictsRefuseWithOrWithoutTip) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "100", "100", 9164)), 0);
    EXPECT_EQ(rules.IsRight({Row("a.txt", 1)}).tip, "IDS_UPLOAD_INFO_SOSDISABLE");
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "100", "100", 9203)), 0);
    EXPECT_EQ(rules.IsRight({Row("a.txt", 1)}).kind, Kind::Silent);
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "100", "100", 17)), 0);
    EXPECT_TRUE(rules.IsRight({Row("a.txt", 1)}).Passed());
}

TEST_F(UploadRulesTest, NamesNeedSomethingBeforeTheFirstDotAndAtMost160Bytes) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "100", "100")), 0);
    EXPECT_EQ(rules.IsRight({Row("ok.txt", 1), Row(".profile", 1)}).tip,
              ".profileIDS_UPLOAD_INFO_FILENAMEISEMPTY");
    EXPECT_TRUE(rules.IsRight({Row("archive.tar.gz", 1), Row("README", 1)}).Passed());

    const std::string name160 = std::string(156, 'n') + ".txt";
    EXPECT_TRUE(rules.IsRight({Row(name160, 1)}).Passed());
    EXPECT_EQ(rules.IsRight({Row("n" + name160, 1)}).tip, "IDS_UPLOAD_INFO_FILENAMETOOLONG");
    // 80 two-byte characters are 160 bytes.
    std::string chinese;
    for (int i = 0; i < 78; ++i) {
        chinese += "照";
    }
    EXPECT_TRUE(rules.IsRight({Row(chinese + ".jpg", 1)}).Passed());
}

TEST_F(UploadRulesTest, SumsEqualToTheLimitsPassOneByteOverTheSpareAsksTheDiskPage) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "300", "200")), 0);
    EXPECT_TRUE(rules.IsRight({Row("a.txt", 150), Row("b.txt", 50)}).Passed());
    EXPECT_EQ(rules.IsRight({Row("a.txt", 150), Row("b.txt", 51)}).kind, Kind::SpaceInsufficient);
    EXPECT_EQ(rules.IsRight({Row("a.txt", 300), Row("b.txt", 1)}).tip, "IDS_UPLOAD_INFO_FILESIZEEXCEED");

    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "300", "300")), 0);
    EXPECT_TRUE(rules.IsRight({Row("a.txt", 300)}).Passed());
}

TEST_F(UploadRulesTest, SizesBeyondFourGigabytesDoNotWrap) {
    const uint64_t gigabytes3 = 3ull << 30;
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, std::to_string(5ull << 30), std::to_string(8ull << 30))), 0);
    EXPECT_EQ(rules.IsRight({Row("a.iso", gigabytes3), Row("b.iso", gigabytes3)}).tip,
              "IDS_UPLOAD_INFO_FILESIZEEXCEED");

    rules.AddListed(gigabytes3);
    rules.AddListed(gigabytes3);
    EXPECT_EQ(rules.ListedTotal(), 2 * gigabytes3);
    EXPECT_EQ(rules.IsRight({Row("a.iso", 1)}).tip, "IDS_UPLOAD_INFO_FILESIZEEXCEED");
    rules.RemoveListed(gigabytes3);
    EXPECT_TRUE(rules.IsRight({Row("a.iso", gigabytes3)}).Passed());
    rules.RemoveListed(4 * gigabytes3);
    EXPECT_EQ(rules.ListedTotal(), 0u);
}

TEST_F(UploadRulesTest, DroppedFilesAreCheckedAgainstTheLimitsOnly) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(2, "300", "200", 9203)), 0);
    rules.AddListed(1000);  // what the dialog lists has nothing to do with a drop
    EXPECT_TRUE(rules.IsDropRight({Row(".profile", 150), Row("b.txt", 50)}).Passed());
    EXPECT_EQ(rules.IsDropRight({Row("a", 1), Row("b", 1), Row("c", 1)}).tip,
              "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED2IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES");
    EXPECT_EQ(rules.IsDropRight({Row(std::string(161, 'n'), 1)}).tip, "IDS_UPLOAD_INFO_FILENAMETOOLONG");
    EXPECT_EQ(rules.IsDropRight({Row("a", 301)}).tip, "IDS_UPLOAD_INFO_FILESIZEEXCEED");
    EXPECT_EQ(rules.IsDropRight({Row("a", 201)}).kind, Kind::SpaceInsufficient);
}

TEST_F(UploadRulesTest, BlockedPathRefusesWithItsMessageUntilAListPasses) {
    ASSERT_EQ(rules.SetLimits(LimitsDoc(5, "100", "100")), 0);
    rules.BlockedPaths() = {{"/home/user/other", "other is busy"}, {"/home/user/b.txt", "b is busy"}};
    EXPECT_EQ(rules.IsRight({Row("a.txt", 1), Row("b.txt", 1)}).tip, "b is busy");
    EXPECT_EQ(rules.BlockedPaths().size(), 2u);
    EXPECT_EQ(rules.IsRight({Row("B.txt", 1)}).kind, Kind::Passed);
    EXPECT_TRUE(rules.BlockedPaths().empty());
}

TEST(UploadTagTest, AtMostFiveSeparatorsCountingFullWidthCommas) {
    EXPECT_TRUE(CUploadRules::IsTagRight("a,b,c,d,e,f"));
    EXPECT_FALSE(CUploadRules::IsTagRight("a,b,c,d,e,f,g"));
    EXPECT_FALSE(CUploadRules::IsTagRight("a，b，c，d，e，f，g"));
    EXPECT_TRUE(CUploadRules::IsTagRight("照片，旅行，海边"));
}

TEST(UploadTagTest, FormatTagReplacesOnlyWholeFullWidthCommas) {
    EXPECT_EQ(CUploadRules::FormatTag("照片，旅行,海边"), "照片,旅行,海边");
    // "埃珸" is B0 A3 AC 40: the bytes A3 AC straddle two characters and are no comma.
    EXPECT_EQ(CUploadRules::FormatTag("埃珸"), "埃珸");
}

class UploadTagLegalTest : public UploadRulesTest {
protected:
    std::string TagTip(const std::string& tag, const std::string& words = "") {
        const RuleVerdict verdict = CUploadRules::IsTagLegal(tag, words);
        return verdict.Passed() ? "passed" : verdict.tip;
    }
};

TEST_F(UploadTagLegalTest, SeparatorsAndEmptyTags) {
    EXPECT_EQ(TagTip(""), "passed");
    EXPECT_EQ(TagTip("a,b,c,d,e,f"), "passed");
    EXPECT_EQ(TagTip("a,b,c,d,e,f,g"), "IDS_UPLOAD_INFO_TAG_ERROR");
    EXPECT_EQ(TagTip("travel,sea,"), "passed");
    EXPECT_EQ(TagTip(",travel"), "IDS_UPLOAD_INFO_TAG_LAWLESS");
    EXPECT_EQ(TagTip("travel,,sea"), "IDS_UPLOAD_INFO_TAG_LAWLESS");
}

TEST_F(UploadTagLegalTest, CharactersAndLengths) {
    EXPECT_EQ(TagTip("sea side"), "IDS_UPLOAD_INFO_TAG_LAWLESS");
    EXPECT_EQ(TagTip("sea-side"), "IDS_UPLOAD_INFO_TAG_LAWLESS");
    EXPECT_EQ(TagTip("照片,Travel2020"), "passed");
    EXPECT_EQ(TagTip(std::string(27, 'x') + ",a"), "passed");
    EXPECT_EQ(TagTip("a," + std::string(28, 'x')), "IDS_UPLOAD_INFO_TAG_ERROR_LENGTH");
    EXPECT_EQ(TagTip("holiday", "war,holiday"), "IDS_UPLOAD_INFO_TAG_CONTENTERROR");
}

TEST_F(UploadTagLegalTest, FullWidthCharactersAskForTheMessageBoxWithTheirPositions) {
    const RuleVerdict verdict = CUploadRules::IsTagLegal("ab，Ａ", "");
    EXPECT_EQ(verdict.kind, Kind::FullWidth);
    EXPECT_EQ(verdict.positions, (std::vector<int32_t>{3, 4}));
}

TEST_F(UploadRulesTest, DescriptionRefusesFileNameCharactersAndUnsafeWords) {
    EXPECT_TRUE(CUploadRules::IsDescriptionLegal("", "").Passed());
    EXPECT_TRUE(CUploadRules::IsDescriptionLegal("海边的照片, taken 2020.", "").Passed());
    for (const char* text : {"a*b", "a/b", "a\\b", "a<b", "a>b", "time: noon", "why?", "\"q\"", "a|b"}) {
        EXPECT_EQ(CUploadRules::IsDescriptionLegal(text, "").tip, "IDS_UPLOAD_INFO_DESCRIPTION_ERROR")
            << text;
    }
    EXPECT_EQ(CUploadRules::IsDescriptionLegal("a fine war story", "war").tip,
              "IDS_UPLOAD_INFO_DESCRIPTION_ERROR");
    // Second bytes 5C and 7C belong to these characters; they are no backslash or bar.
    EXPECT_TRUE(CUploadRules::IsDescriptionLegal("癨皘", "").Passed());
}

TEST(ContentTypeTest, LooksUpTheExtensionOnly) {
    EXPECT_EQ(GetContentType("/p/photo.jpg"), "image/jpeg");
    EXPECT_EQ(GetContentType("/p/PHOTO.JPG"), "image/jpeg");
    EXPECT_EQ(GetContentType("/p/scan.tif"), "image/tiff");
    EXPECT_EQ(GetContentType("/p/a.b.png"), "image/png");
    EXPECT_EQ(GetContentType("/p/README"), "null");
    EXPECT_EQ(GetContentType("/p/data.nimbra-unknown"), "null");
}

}  // namespace
