// The credential handed to the outside editor, against values computed with other tools, and Base64.
#include <gtest/gtest.h>

#include "digest/Base64.h"
#include "digest/EditorCredential.h"

namespace {

TEST(EditorCredentialTest, SealedCredentialsMatchOpenSslOnTheSameKeyAndPadding) {
    // Computed outside this code: the key is `python3 -c "import hashlib;
    // print(hashlib.md5(ACCOUNT.encode('gb18030')).hexdigest())"`, the credential padded by hand with
    // printf and sealed with `openssl enc -bf-ecb -K KEY -nopad -provider legacy -provider default | base64`.
    // 18 bytes: six count bytes of value 6 make 24.
    EXPECT_EQ(SealEditorCredential("demo", "sign-on-token-1234"), "Sw/d5IzGwohDwlquf9JaD/7ZE5IRJird");
    // 16 bytes stay 16; the account's GB18030 bytes make the key.
    EXPECT_EQ(SealEditorCredential("张三", "0123456789abcdef"), "167bP4T9XuObHA7Ix0KqlQ==");
    // 10 bytes: openssl's own padding (PKCS#7) is the same six bytes of value 6 here.
    EXPECT_EQ(SealEditorCredential("demo", "0123456789"), "KSM/pLj7bOCWK8PTNYiuEw==");
    EXPECT_EQ(SealEditorCredential("demo", ""), "");
}

TEST(EditorCredentialTest, OnlyTheSameAccountOpensWhatWasSealed) {
    const std::string ticket = "http://127.0.0.1:8080 5f2b9c0d";  // 30 bytes
    const std::string sealed = SealEditorCredential("demo", ticket);
    EXPECT_EQ(Base64Decode(sealed)->size(), 32u);
    EXPECT_EQ(OpenEditorCredential("demo", sealed), ticket);
    EXPECT_EQ(OpenEditorCredential("demo", SealEditorCredential("demo", "12345678")), "12345678");
    EXPECT_NE(OpenEditorCredential("demo2", sealed), ticket);
    // Not Base64, or not whole blocks.
    EXPECT_EQ(OpenEditorCredential("demo", "not base64!"), std::nullopt);
    EXPECT_EQ(OpenEditorCredential("demo", Base64Encode("12345")), std::nullopt);
}

TEST(EditorCredentialTest, Base64IsTheStandardAlphabetWithPaddingAndRefusesAnythingElse) {
    // RFC 4648, section 10.
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(Base64Encode(bytes), text);
        EXPECT_EQ(Base64Decode(text), bytes);
    }
    EXPECT_EQ(Base64Encode("\xfb\xff"), "+/8=");
    for (const char* bad : {"Zg", "Zg=", "Zm9v YmFy", "Zm9v\nYmFy", "Z===", "Zm-v", "Zm_v"}) {
        EXPECT_EQ(Base64Decode(bad), std::nullopt) << bad;
    }
}

}  // namespace
