// The language files the host ships: every key the upload component asks for exists in every language,
// and texts the component formats carry exactly the conversions it passes, in its order.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "LanguageFile.h"
#include "LanguageTexts.h"

using nimbra::app::LanguageFile;
using nimbra::app::LanguageTexts;

namespace {

// The component's whole key vocabulary.
const std::vector<std::string> kGlobalKeys = {"IDS_GLOBAL_BUTTON_CANCEL", "IDS_GLOBAL_BUTTON_OK",
                                              "IDS_GLOBAL_INFO_CONFIRM", "IDS_GLOBAL_INFO_INFORMATION",
                                              "IDS_GLOBAL_INFO_WARNING"};
const std::vector<std::string> kUploadKeys = {"IDS_UPLOAD_BUTTON_CANECL",
                                              "IDS_UPLOAD_BUTTON_PRE",
                                              "IDS_UPLOAD_BUTTON_TARGET",
                                              "IDS_UPLOAD_BUTTON_UPLOAD",
                                              "IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADED",
                                              "IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADING",
                                              "IDS_UPLOAD_DOWNLOADSKIN_FAILED",
                                              "IDS_UPLOAD_DOWNLOADSKIN_NOEXIST",
                                              "IDS_UPLOAD_DOWNLOADSKIN_SUCCEED",
                                              "IDS_UPLOAD_ERROR_8000",
                                              "IDS_UPLOAD_ERROR_9156",
                                              "IDS_UPLOAD_ERROR_9162",
                                              "IDS_UPLOAD_ERROR_9436",
                                              "IDS_UPLOAD_ERROR_9476",
                                              "IDS_UPLOAD_ERROR_9493",
                                              "IDS_UPLOAD_ERROR_UNKNOW",
                                              "IDS_UPLOAD_INFO_ALIKEFOLDER",
                                              "IDS_UPLOAD_INFO_CATALOG_BAG",
                                              "IDS_UPLOAD_INFO_CATALOG_LAWLESS",
                                              "IDS_UPLOAD_INFO_CATALOG_SAMENAME",
                                              "IDS_UPLOAD_INFO_CONTINUE_FAILED",
                                              "IDS_UPLOAD_INFO_CURRENTNOFILE",
                                              "IDS_UPLOAD_INFO_DESCRIPTION_ERROR",
                                              "IDS_UPLOAD_INFO_ERROR",
                                              "IDS_UPLOAD_INFO_FAIL",
                                              "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED",
                                              "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES",
                                              "IDS_UPLOAD_INFO_FILENAMEISEMPTY",
                                              "IDS_UPLOAD_INFO_FILENAMETOOLONG",
                                              "IDS_UPLOAD_INFO_FILENUMEXCEED",
                                              "IDS_UPLOAD_INFO_FILENUMZERO",
                                              "IDS_UPLOAD_INFO_FILESIZEEXCEED",
                                              "IDS_UPLOAD_INFO_MYFOLDER",
                                              "IDS_UPLOAD_INFO_NEXT_TRY",
                                              "IDS_UPLOAD_INFO_NOEXIST",
                                              "IDS_UPLOAD_INFO_PAUSE_FAILED",
                                              "IDS_UPLOAD_INFO_REFRESHSIZE",
                                              "IDS_UPLOAD_INFO_RESUME_FAILED",
                                              "IDS_UPLOAD_INFO_SELECT_FOLDER",
                                              "IDS_UPLOAD_INFO_SEVERRETURNFAIL",
                                              "IDS_UPLOAD_INFO_SHARE",
                                              "IDS_UPLOAD_INFO_SOSDISABLE",
                                              "IDS_UPLOAD_INFO_SPARESIZE",
                                              "IDS_UPLOAD_INFO_SUCCESS",
                                              "IDS_UPLOAD_INFO_TAG_CONTENTERROR",
                                              "IDS_UPLOAD_INFO_TAG_ERROR",
                                              "IDS_UPLOAD_INFO_TAG_ERROR_LENGTH",
                                              "IDS_UPLOAD_INFO_TAG_LAWLESS",
                                              "IDS_UPLOAD_INFO_UPLOADSIZE",
                                              "IDS_UPLOAD_PROGRESS_TITLE",
                                              "IDS_UPLOAD_PROPERTY_TITLE",
                                              "IDS_UPLOAD_STATIC_CONTENT",
                                              "IDS_UPLOAD_STATIC_ETAG",
                                              "IDS_UPLOAD_STATIC_TEXT2",
                                              "IDS_UPLOAD_TARGET_CATALOG_EXIST",
                                              "IDS_UPLOAD_TARGET_NEW",
                                              "IDS_UPLOAD_TARGET_TITLE",
                                              "IDS_UPLOAD_TASKLIST_STATE_FINISHED",
                                              "IDS_UPLOAD_TASKLIST_STATE_PAUSED",
                                              "IDS_UPLOAD_TASKLIST_STATE_RUNNING",
                                              "IDS_UPLOAD_TASKLIST_STATE_SYNC",
                                              "IDS_UPLOAD_TASKLIST_STATE_WAITING",
                                              "IDS_UPLOAD_TASKLIST_TITLE",
                                              "IDS_UPLOAD_TIP_BUSY",
                                              "IDS_UPLOAD_TIP_ICON",
                                              "IDS_UPLOAD_TIP_LIST",
                                              "IDS_UPLOAD_TITLE_MAIN",
                                              "IDS_UPLOAD_TRANSMIT_DELETE",
                                              "IDS_UPLOAD_TRANSMIT_DELETE_ALLITEMS",
                                              "IDS_UPLOAD_TRANSMIT_DOWNLOADED",
                                              "IDS_UPLOAD_TRANSMIT_DOWNLOADED_EXTRA",
                                              "IDS_UPLOAD_TRANSMIT_DOWNLOADING",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILEDIRECTORY",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILENAME",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILESIZE",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_NETPACH",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_PROGRESS",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_SPEED",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_STATUS",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_TIMELEFT",
                                              "IDS_UPLOAD_TRANSMIT_LISTHEAD_USEDTIME",
                                              "IDS_UPLOAD_TRANSMIT_MENU_DELETE",
                                              "IDS_UPLOAD_TRANSMIT_MENU_DELETEALL",
                                              "IDS_UPLOAD_TRANSMIT_MENU_OPEN",
                                              "IDS_UPLOAD_TRANSMIT_MENU_PAUSE",
                                              "IDS_UPLOAD_TRANSMIT_MENU_PAUSEALL",
                                              "IDS_UPLOAD_TRANSMIT_MENU_SELECTALL",
                                              "IDS_UPLOAD_TRANSMIT_MENU_START",
                                              "IDS_UPLOAD_TRANSMIT_MENU_STARTALL",
                                              "IDS_UPLOAD_TRANSMIT_STATIC",
                                              "IDS_UPLOAD_TRANSMIT_TITLE",
                                              "IDS_UPLOAD_TRANSMIT_UPLOADED",
                                              "IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA",
                                              "IDS_UPLOAD_TRANSMIT_UPLOADING"};
// Keys the component uses besides that vocabulary: the step to the property dialog and the target tree's
// menu.
const std::vector<std::string> kAddedUploadKeys = {"IDS_UPLOAD_BUTTON_NEXT", "IDS_UPLOAD_INFO_NEXT_FILESONLY",
                                                   "IDS_UPLOAD_TARGET_RENAME"};
const std::vector<std::string> kSkinKeys = {
    "IDC_MAINWND_SKIN_BLUE",  "IDC_MAINWND_SKIN_PURPLE", "IDC_MAINWND_SKIN_GREE",
    "IDC_MAINWND_SKIN_APPLE", "IDC_MAINWND_SKIN_BLUEI",  "IDC_MAINWND_SKIN_BLUEII",
    "IDC_MAINWND_SKIN_PINK",  "IDC_MAINWND_SKIN_SALMON", "IDC_MAINWND_SKIN_SAND"};

// The conversions the component passes to each text it formats, in order; every other text is shown
// as it stands (or glued to a number or a name) and must hold no conversion at all.
const std::map<std::string, std::string> kFormats = {
    {"IDS_UPLOAD_ERROR_UNKNOW", "d"},
    {"IDS_UPLOAD_INFO_ALIKEFOLDER", "ss"},
    {"IDS_UPLOAD_INFO_ERROR", "s"},
    {"IDS_UPLOAD_INFO_FAIL", "dd"},
    {"IDS_UPLOAD_INFO_NEXT_TRY", "sd"},
    {"IDS_UPLOAD_INFO_REFRESHSIZE", "ss"},
    {"IDS_UPLOAD_INFO_SPARESIZE", "s"},
    {"IDS_UPLOAD_INFO_UPLOADSIZE", "s"},
    {"IDS_UPLOAD_TRANSMIT_DELETE_ALLITEMS", "d"},
    {"IDS_UPLOAD_TRANSMIT_DOWNLOADED_EXTRA", "d"},
    {"IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA", "d"},
};

// The conversion letters of a printf format ("%%" is no conversion).
std::string Conversions(const std::string& text) {
    static const std::regex conversion("%([-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%])");
    std::string letters;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion); it != std::sregex_iterator();
         ++it) {
        const std::string spec = (*it)[1];
        if (spec != "%")
            letters += spec.back();
    }
    return letters;
}

class ShippedLanguage : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        auto loaded = LanguageFile::Load(std::string(NIMBRA_LANG_DIR) + "/" + GetParam() + ".lang");
        ASSERT_TRUE(loaded) << GetParam();
        file = *loaded;
    }
    void ExpectAllPresent(const std::string& section, const std::vector<std::string>& keys) {
        for (const auto& key : keys) {
            const auto text = file.Text(section, key);
            EXPECT_TRUE(text && !text->empty()) << GetParam() << ": [" << section << "] " << key;
        }
    }
    LanguageFile file;
};

TEST_P(ShippedLanguage, HoldsEveryKeyOfTheComponentInItsSection) {
    ASSERT_EQ(kGlobalKeys.size() + kUploadKeys.size(), 99u);
    ExpectAllPresent("GLOBAL", kGlobalKeys);
    ExpectAllPresent("UPLOAD", kUploadKeys);
    ExpectAllPresent("UPLOAD", kAddedUploadKeys);
    ExpectAllPresent("MAINWND", kSkinKeys);
}

TEST_P(ShippedLanguage, FormattedTextsCarryTheConversionsTheComponentPasses) {
    for (const auto& key : kUploadKeys) {
        const auto text = file.Text("UPLOAD", key);
        ASSERT_TRUE(text) << key;
        const auto expected = kFormats.find(key);
        EXPECT_EQ(Conversions(*text), expected == kFormats.end() ? "" : expected->second)
            << GetParam() << ": " << key << " = " << *text;
    }
    for (const auto& key : kAddedUploadKeys)
        EXPECT_EQ(Conversions(*file.Text("UPLOAD", key)), "") << key;
    for (const auto& key : kGlobalKeys)
        EXPECT_EQ(Conversions(*file.Text("GLOBAL", key)), "") << key;
}

TEST_P(ShippedLanguage, DefinesTheSameKeysAsTheOtherLanguage) {
    const std::string other = GetParam() == "en" ? "zh_CN" : "en";
    const auto otherFile = LanguageFile::Load(std::string(NIMBRA_LANG_DIR) + "/" + other + ".lang");
    ASSERT_TRUE(otherFile);
    std::set<std::pair<std::string, std::string>> mine, theirs;
    for (const auto& [key, text] : file.Texts())
        mine.insert(key);
    for (const auto& [key, text] : otherFile->Texts())
        theirs.insert(key);
    EXPECT_EQ(mine, theirs);
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, ::testing::Values("zh_CN", "en"));

TEST(LanguageFileParse, KeepsBlanksOnlyInsideQuotesAndIgnoresCommentsAndStrayLines) {
    const auto file = LanguageFile::Parse(
        "KEY_BEFORE_SECTION=x\n; comment\n[A]\n  K1 =  spaced  \r\nK2=\" glued \"\n# K3=no\nbroken line\n"
        "K4=a=b\n[B]\nK1=other\n");
    EXPECT_FALSE(file.Text("", "KEY_BEFORE_SECTION"));
    EXPECT_EQ(file.Text("A", "K1"), "spaced");
    EXPECT_EQ(file.Text("A", "K2"), " glued ");
    EXPECT_FALSE(file.Text("A", "K3"));
    EXPECT_EQ(file.Text("A", "K4"), "a=b");
    EXPECT_EQ(file.Text("B", "K1"), "other");
    EXPECT_FALSE(file.Text("B", "K2"));
}

TEST(LanguageTextsLookup, AnswersTheComponentInItsCodePageBySection) {
    LanguageTexts texts(NIMBRA_LANG_DIR);
    ASSERT_TRUE(texts.Use("zh_CN"));
    // This file's literals are GB18030, the component's code page.
    EXPECT_EQ(texts.GetLangString("IDS_GLOBAL_BUTTON_CANCEL", "GLOBAL"), "取消");
    EXPECT_EQ(texts.GetLangString("IDS_UPLOAD_INFO_MYFOLDER", "UPLOAD"), "我的文件夹");
    EXPECT_EQ(texts.GetLangString("IDS_GLOBAL_BUTTON_CANCEL", "UPLOAD"), "");
    EXPECT_EQ(texts.GetLangString("IDS_NO_SUCH_KEY", "GLOBAL"), "");
    EXPECT_EQ(texts.GetLangString(nullptr, "GLOBAL"), "");
}

TEST(LanguageTextsLookup, SwitchesLanguageAndKeepsTheOldOneWhenTheNewFileIsMissing) {
    LanguageTexts texts(NIMBRA_LANG_DIR);
    ASSERT_TRUE(texts.Use("en"));
    EXPECT_EQ(texts.GetLangString("IDS_GLOBAL_BUTTON_CANCEL", "GLOBAL"), "Cancel");
    EXPECT_FALSE(texts.Use("xx"));
    EXPECT_EQ(texts.Language(), "en");
    EXPECT_EQ(texts.GetLangString("IDS_GLOBAL_BUTTON_OK", "GLOBAL"), "OK");
    EXPECT_EQ(texts.Languages(), QStringList({"en", "zh_CN"}));
}

}  // namespace
