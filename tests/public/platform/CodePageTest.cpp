#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

const std::string kReplacementUtf8 = "\xEF\xBF\xBD";
const std::string kReplacementGb18030 = "\x84\x31\xA4\x37";

TEST(CodePage, ConvertsTwoAndFourByteCharactersBothWays) {
    const struct {
        std::string gb18030;
        std::string utf8;
    } cases[] = {
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // two-byte (GBK) characters
        {"\x95\x32\x82\x36", "\xF0\xA0\x80\x80"},          // U+20000, outside the BMP
        {"\x94\x39\xFC\x36", "\xF0\x9F\x98\x80"},          // U+1F600
        {"\x81\x30\x81\x30", "\xC2\x80"},                  // U+0080, four bytes in GB18030
        {"plain ascii", "plain ascii"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Gb18030ToUtf8(c.gb18030), c.utf8);
        EXPECT_EQ(Utf8ToGb18030(c.utf8), c.gb18030);
    }
}

TEST(CodePage, LiteralsOfTheComponentAreGb18030) {
    // The tests are built like the component, with GB18030 narrow literals.
    EXPECT_EQ(std::string("我的网盘"), "\xCE\xD2\xB5\xC4\xCD\xF8\xC5\xCC");
    EXPECT_EQ(ToQString("我的网盘"), QString::fromUtf8("\xE6\x88\x91\xE7\x9A\x84\xE7\xBD\x91\xE7\x9B\x98"));
}

TEST(CodePage, InvalidBytesAreReplacedAndTheRestIsKept) {
    // A lead byte followed by a byte that cannot trail it, in the middle of the text.
    EXPECT_EQ(Gb18030ToUtf8("a\x81\x20"
                            "b\xD6\xD0"),
              "a" + kReplacementUtf8 + " b\xE4\xB8\xAD");
    // An incomplete character at the very end.
    EXPECT_EQ(Gb18030ToUtf8("ab\xD6"), "ab" + kReplacementUtf8);
    EXPECT_EQ(Gb18030ToUtf8("\xFF\xFFz"), kReplacementUtf8 + kReplacementUtf8 + "z");
    // Malformed UTF-8: a stray continuation byte and a truncated sequence.
    EXPECT_EQ(Utf8ToGb18030("\x80x\xE4\xB8"),
              kReplacementGb18030 + "x" + kReplacementGb18030 + kReplacementGb18030);
}

TEST(CodePage, LongTextsSurviveTheRoundTrip) {
    std::string gb18030;
    for (int i = 0; i < 50000; ++i) {
        gb18030 += "\xD6\xD0\x95\x32\x82\x36x";
    }
    const std::string utf8 = Gb18030ToUtf8(gb18030);
    EXPECT_EQ(utf8.size(), 50000u * 8);
    EXPECT_EQ(Utf8ToGb18030(utf8), gb18030);
}

TEST(CodePage, QStringRoundTripKeepsCharactersOutsideGbk) {
    const std::string name = "\xD6\xD0\x95\x32\x82\x36.txt";
    const QString text = ToQString(name);
    EXPECT_EQ(text.size(), 1 + 2 + 4);  // one BMP character, one surrogate pair, ".txt"
    EXPECT_EQ(FromQString(text), name);
}

}  // namespace
