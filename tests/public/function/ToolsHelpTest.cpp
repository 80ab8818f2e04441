#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "TestHostCore.h"
#include "function/ToolsHelp.h"
#include "xml/XML.h"

namespace {

using Pieces = std::vector<std::string>;

Pieces Split(const std::string& text, const std::string& separator, int* count) {
    Pieces out{"untouched"};
    *count = CToolsHelp::Tokenize(text, out, separator);
    return out;
}

TEST(TokenizeTest, DropsEmptyPiecesAndRefusesUnusableInput) {
    int count = 0;
    EXPECT_EQ(Split("a,,b", ",", &count), (Pieces{"a", "b"}));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Split(",b", ",", &count), (Pieces{"b"}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Split("abc", ",", &count), (Pieces{"abc"}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Split("a,b,", ",", &count), (Pieces{"a", "b"}));
    EXPECT_EQ(Split("one--two--three", "--", &count), (Pieces{"one", "two", "three"}));

    // Unusable input leaves the output as it was.
    EXPECT_EQ(Split("a", ",,", &count), (Pieces{"untouched"}));
    EXPECT_EQ(count, -1);
    EXPECT_EQ(Split("", ",", &count), (Pieces{"untouched"}));
    EXPECT_EQ(Split("abc", "", &count), (Pieces{"untouched"}));
    EXPECT_EQ(Split(",", ",", &count), (Pieces{"untouched"}));
}

TEST(ContainsDBCTest, ReportsFullWidthCharactersByCharacterPosition) {
    std::vector<int32_t> positions;
    EXPECT_TRUE(CToolsHelp::ContainsDBC("ＡＢ", positions));
    EXPECT_EQ(positions, (std::vector<int32_t>{1, 2}));

    positions.clear();
    EXPECT_FALSE(CToolsHelp::ContainsDBC("我的", positions));
    EXPECT_TRUE(positions.empty());

    // Positions count characters, not bytes: one-byte, two-byte and four-byte characters alike.
    positions.clear();
    EXPECT_TRUE(CToolsHelp::ContainsDBC("a我\x81\x30\x81\x30，x１", positions));
    EXPECT_EQ(positions, (std::vector<int32_t>{4, 6}));

    // A lead byte at the very end is one character and not read past.
    positions.clear();
    EXPECT_FALSE(CToolsHelp::ContainsDBC("ab\xA3", positions));
}

TEST(CheckTextContainUnsafeTest, MatchesListedWordsInsideTheLowerCasedText) {
    EXPECT_TRUE(CToolsHelp::CheckTextContainUnsafe("My BadWord here", "evil,badword"));
    EXPECT_TRUE(CToolsHelp::CheckTextContainUnsafe("xxevilxx", "evil,badword"));
    EXPECT_FALSE(CToolsHelp::CheckTextContainUnsafe("harmless", "evil,badword"));
    // Listed words are used unchanged, so one with an upper-case letter never matches.
    EXPECT_FALSE(CToolsHelp::CheckTextContainUnsafe("Evil", "Evil,other"));
    // A one-character list yields no word.
    EXPECT_FALSE(CToolsHelp::CheckTextContainUnsafe("a", "a"));
    EXPECT_FALSE(CToolsHelp::CheckTextContainUnsafe("anything", ""));
    EXPECT_TRUE(CToolsHelp::CheckTextContainUnsafe("一个坏词", "坏词,x"));
}

TEST(CheckTextContainUnsafeTest, LowerCasingLeavesMultiByteCharactersIntact) {
    // 0xB0 0x41 is one GB18030 character whose second byte is 'A': it must not turn into 0xB0 0x61.
    EXPECT_FALSE(CToolsHelp::CheckTextContainUnsafe("\xB0\x41", "\xB0\x61,zz"));
    EXPECT_TRUE(CToolsHelp::CheckTextContainUnsafe("\xB0\x41", "\xB0\x41,zz"));
}

TEST(FileHelpersTest, FileNameIsThePartAfterTheLastSeparator) {
    EXPECT_EQ(CToolsHelp::GetFileName("/home/user/照片/a.jpg"), "a.jpg");
    EXPECT_EQ(CToolsHelp::GetFileName("a.jpg"), "");
    EXPECT_EQ(CToolsHelp::GetFileName("/tmp/dir/"), "");
}

TEST(FileHelpersTest, FileExistFindsFilesWildcardsAndGb18030Names) {
    const auto dir = std::filesystem::temp_directory_path() / "nimbra-toolshelp-test";
    std::filesystem::create_directories(dir);
    const std::string utf8Name = "\xE6\x96\x87\xE4\xBB\xB6.txt";  // "文件.txt" in UTF-8 on disk
    std::ofstream(dir / utf8Name) << "x";
    const std::string dirText = dir.string() + "/";
    EXPECT_TRUE(CToolsHelp::FileExist(dirText + "文件.txt"));
    EXPECT_TRUE(CToolsHelp::FileExist(dirText + "*.txt"));
    EXPECT_FALSE(CToolsHelp::FileExist(dirText + "missing.txt"));
    EXPECT_FALSE(CToolsHelp::FileExist(""));
    std::filesystem::remove_all(dir);
}

TEST(ProgramDirTest, EndsWithASeparatorAndHoldsThisExecutable) {
    const std::string dir = CToolsHelp::GetProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

class HostLookupTest : public ::testing::Test {
protected:
    void SetUp() override { g_IOrvaLange = nullptr; }
    void TearDown() override { g_IOrvaLange = nullptr; }
};

TEST_F(HostLookupTest, GetStringIsEmptyWithoutTheLanguageInterfaceAndRetriesLater) {
    testhost::TestHostCore host;
    host.lang.texts[{"UPLOAD", "IDS_UPLOAD_TITLE_MAIN"}] = "上传文件";
    host.Withdraw(IID_IORVALang);
    EXPECT_EQ(CToolsHelp::GetString("IDS_UPLOAD_TITLE_MAIN", "UPLOAD"), "");

    host.Offer(IID_IORVALang, &host.lang);
    EXPECT_EQ(CToolsHelp::GetString("IDS_UPLOAD_TITLE_MAIN", "UPLOAD"), "上传文件");
    ASSERT_EQ(host.lang.asked.size(), 1u);
    EXPECT_EQ(host.lang.asked[0], (std::pair<std::string, std::string>{"UPLOAD", "IDS_UPLOAD_TITLE_MAIN"}));
}

TEST_F(HostLookupTest, InterfacesAreFoundByIdAndCastToTheirType) {
    testhost::TestHostCore host;
    EXPECT_EQ(GetHostInterface<IUICLogin>(IID_IUICLogin), &host.login);
    // The wrong type under an id is treated as missing.
    host.Offer(IID_IUICMainWnd, &host.login);
    EXPECT_EQ(GetHostInterface<IUICMainWnd>(IID_IUICMainWnd), nullptr);
    host.Withdraw(IID_IUICLogin);
    EXPECT_EQ(GetHostInterface<IUICLogin>(IID_IUICLogin), nullptr);
    EXPECT_EQ(CToolsHelp::GetInterfacePtr(nullptr), nullptr);
}

// Reads a Flash request back through the cursor: the function name and the texts of its arguments.
struct FlashRequest {
    std::string name;
    std::string returnType;
    std::vector<std::pair<std::string, std::string>> arguments;  // element name, data
};

FlashRequest ReadRequest(const std::string& doc) {
    CXML xml;
    FlashRequest request;
    EXPECT_TRUE(xml.SetDoc(doc)) << doc;
    EXPECT_TRUE(xml.FindElem("invoke"));
    request.name = xml.GetAttrib("name");
    request.returnType = xml.GetAttrib("returntype");
    EXPECT_TRUE(xml.FindChildElem("arguments"));
    xml.IntoElem();
    while (xml.FindChildElem()) {
        xml.IntoElem();
        request.arguments.emplace_back("", xml.GetData());
        xml.OutOfElem();
    }
    return request;
}

TEST(FlashXmlTest, GeneralFormPlacesEachArgumentAsStringContent) {
    const std::string doc = CToolsHelp::ConstructFlashXml("UploadingFile", {"a.txt", "<b>bold</b>"});
    EXPECT_LT(doc.find("name=\"UploadingFile\""), doc.find("returntype=\"xml\""));
    // Content, not escaped data: markup in an argument stays markup.
    EXPECT_NE(doc.find("<string><b>bold</b></string>"), std::string::npos) << doc;
    EXPECT_NE(doc.find("<string>a.txt</string>"), std::string::npos) << doc;
    const FlashRequest request = ReadRequest(doc);
    EXPECT_EQ(request.name, "UploadingFile");
    EXPECT_EQ(request.returnType, "xml");
    EXPECT_EQ(request.arguments.size(), 2u);
}

TEST(FlashXmlTest, GeneralFormWithoutArgumentsHasAnEmptyArgumentsElement) {
    const FlashRequest request = ReadRequest(CToolsHelp::ConstructFlashXml("Refresh", {}));
    EXPECT_EQ(request.name, "Refresh");
    EXPECT_TRUE(request.arguments.empty());
}

TEST(FlashXmlTest, ArgumentThatIsNotMarkupStillGivesAWellFormedRequest) {
    const std::string name = "Tom & Jerry <1>.avi";
    const std::string doc = CToolsHelp::ConstructFlashXml("UploadingFile", {name});
    CXML xml;
    ASSERT_TRUE(xml.SetDoc(doc)) << doc;
    ASSERT_TRUE(xml.FindElem("invoke"));
    ASSERT_TRUE(xml.FindChildElem("arguments"));
    xml.IntoElem();
    ASSERT_TRUE(xml.FindChildElem("string"));
    xml.IntoElem();
    EXPECT_EQ(xml.GetData(), name);
}

TEST(FlashXmlTest, NumberedFormCarriesNumberThenStringAsData) {
    const std::string doc = CToolsHelp::ConstructFlashXml2(198626, "");
    const FlashRequest empty = ReadRequest(doc);
    EXPECT_EQ(empty.name, "callFlashExternalInterface");
    ASSERT_EQ(empty.arguments.size(), 2u);
    EXPECT_EQ(empty.arguments[0].second, "198626");
    EXPECT_EQ(empty.arguments[1].second, "");
    EXPECT_LT(doc.find("<number>"), doc.find("<string"));

    // As data, the document text of the dialog data document is escaped, and reads back unchanged.
    const std::string data = "<data><targetid isshared=\"0\">12</targetid></data>";
    const FlashRequest request = ReadRequest(CToolsHelp::ConstructFlashXml2(198757, data));
    EXPECT_EQ(request.arguments[1].second, data);
}

}  // namespace
