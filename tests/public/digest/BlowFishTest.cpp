// Blowfish against the published test vectors (the ECB table, the variable-key table and the chaining
// vectors for CBC and CFB), the three paddings, and the refusals with their texts.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "digest/BlowFish.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes Encrypt(CBlowFish& cipher, const Bytes& plain) {
    Bytes out(plain.size());
    cipher.Encrypt(plain.data(), out.data(), plain.size());
    return out;
}

Bytes Decrypt(CBlowFish& cipher, const Bytes& sealed) {
    Bytes out(sealed.size());
    cipher.Decrypt(sealed.data(), out.data(), sealed.size());
    return out;
}

CBlowFish Cipher(const Bytes& key, int mode, const Bytes& chain = {}) {
    CBlowFish cipher;
    cipher.Initialize(key.data(), static_cast<int>(key.size()), chain.empty() ? nullptr : chain.data(), mode,
                      CBlowFish::ZEROES);
    return cipher;
}

TEST(BlowFishTest, TheEcbTableEncryptsAndDecryptsAsPublished) {
    // key, plaintext, ciphertext
    const char* const table[][3] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
        {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
        {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
        {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
        {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
        {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
        {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
        {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
        {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
        {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
        {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
        {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
        {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
        {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
        {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
        {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
        {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
        {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
        {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
        {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
        {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
        {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
        {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
        {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
        {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
    };
    for (const auto& [key, plain, sealed] : table) {
        CBlowFish cipher = Cipher(FromHex(key), CBlowFish::ECB);
        EXPECT_EQ(Encrypt(cipher, FromHex(plain)), FromHex(sealed)) << key << " / " << plain;
        EXPECT_EQ(Decrypt(cipher, FromHex(sealed)), FromHex(plain)) << key << " / " << sealed;
    }
}

TEST(BlowFishTest, TheVariableKeyTableFromOneTo24KeyBytes) {
    const std::string key = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
    const char* const sealed[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
        "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
        "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
        "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    for (size_t length = 1; length <= std::size(sealed); ++length) {
        CBlowFish cipher = Cipher(FromHex(key.substr(0, 2 * length)), CBlowFish::ECB);
        EXPECT_EQ(Encrypt(cipher, FromHex("FEDCBA9876543210")), FromHex(sealed[length - 1]))
            << length << " key bytes";
    }
}

TEST(BlowFishTest, TheChainingVectorsRunOnAcrossCallsAndStartOverAfterResetChain) {
    const Bytes key = FromHex("0123456789ABCDEFF0E1D2C3B4A59687");
    const Bytes chain = FromHex("FEDCBA9876543210");
    // "7654321 Now is the time for " with its terminating zero byte: 29 bytes.
    Bytes plain = FromText("7654321 Now is the time for ");
    plain.push_back(0);

    CBlowFish cfb = Cipher(key, CBlowFish::CFB, chain);
    const Bytes cfbSealed = FromHex("E73214A2822139CAF26ECF6D2EB9E76E3DA3DE04D1517200519D57A6C3");
    EXPECT_EQ(Encrypt(cfb, plain), cfbSealed);
    cfb.ResetChain();
    EXPECT_EQ(Decrypt(cfb, cfbSealed), plain);

    // CBC takes whole blocks: the published data with zero padding to 32 bytes, sent in two calls.
    CBlowFish cbc = Cipher(key, CBlowFish::CBC, chain);
    Bytes padded = plain;
    padded.resize(32);
    ASSERT_EQ(cbc.Pad(padded.data(), plain.size()), 32u);
    const Bytes first = Encrypt(cbc, Bytes(padded.begin(), padded.begin() + 16));
    const Bytes second = Encrypt(cbc, Bytes(padded.begin() + 16, padded.end()));
    Bytes cbcSealed = first;
    cbcSealed.insert(cbcSealed.end(), second.begin(), second.end());
    EXPECT_EQ(cbcSealed, FromHex("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC"));
    cbc.ResetChain();
    EXPECT_EQ(Decrypt(cbc, cbcSealed), padded);
}

TEST(BlowFishTest, PaddingFillsOnlyAPartialLastBlock) {
    CBlowFish cipher = Cipher(FromHex("0011223344556677"), CBlowFish::ECB);
    EXPECT_EQ(cipher.GetBlockSize(), 8);
    const auto padded = [&](int mode, size_t length) {
        cipher.SetPadding(mode);
        Bytes buffer(24, 0xAA);
        buffer.resize(cipher.Pad(buffer.data(), length));
        return buffer;
    };
    Bytes ten(10, 0xAA);
    Bytes count = ten;
    count.insert(count.end(), 6, 6);
    EXPECT_EQ(padded(CBlowFish::COUNT, 10), count);
    Bytes blanks = ten;
    blanks.insert(blanks.end(), 6, ' ');
    EXPECT_EQ(padded(CBlowFish::BLANKS, 10), blanks);
    Bytes zeroes = ten;
    zeroes.insert(zeroes.end(), 6, 0);
    EXPECT_EQ(padded(CBlowFish::ZEROES, 10), zeroes);
    // Whole blocks, and nothing at all, get no block of padding.
    for (size_t length : {0u, 8u, 16u}) {
        EXPECT_EQ(padded(CBlowFish::COUNT, length), Bytes(length, 0xAA)) << length;
    }
    Bytes fifteen(15, 0xAA);
    fifteen.push_back(1);
    EXPECT_EQ(padded(CBlowFish::COUNT, 15), fifteen);
}

TEST(BlowFishTest, BadParametersAndUseBeforeInitialisationAreRefusedWithTheirTexts) {
    const unsigned char key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const auto refusal = [](auto call) -> std::string {
        try {
            call();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "accepted";
    };
    CBlowFish cipher;
    unsigned char block[8] = {};
    EXPECT_EQ(refusal([&] { cipher.Encrypt(block, block, 8); }),
              "FileCrypt ERROR: Encryption/Decryption Object not Initialized!");
    EXPECT_EQ(refusal([&] { cipher.ResetChain(); }),
              "FileCrypt ERROR: Encryption/Decryption Object not Initialized!");
    EXPECT_EQ(refusal([&] { cipher.Initialize(nullptr, 8, nullptr, CBlowFish::ECB, CBlowFish::COUNT); }),
              "FileCrypt ERROR: No Key DataSpecified!");
    EXPECT_EQ(refusal([&] { cipher.Initialize(key, 0, nullptr, CBlowFish::ECB, CBlowFish::COUNT); }),
              "FileCrypt ERROR: Key Data Length should be > 0!");
    EXPECT_EQ(refusal([&] { cipher.Initialize(key, 8, nullptr, 3, CBlowFish::COUNT); }),
              "FileCrypt ERROR: Illegal Operation Mode!");
    EXPECT_EQ(refusal([&] { cipher.Initialize(key, 8, nullptr, CBlowFish::ECB, 3); }),
              "FileCrypt ERROR: Illegal Padding Mode!");
    EXPECT_EQ(refusal([&] { cipher.SetPadding(-1); }), "FileCrypt ERROR: Illegal Padding Mode!");
    // None of the refused calls left a usable cipher behind.
    EXPECT_EQ(refusal([&] { cipher.Decrypt(block, block, 8); }),
              "FileCrypt ERROR: Encryption/Decryption Object not Initialized!");
    // A partial block in ECB is refused rather than run past the data.
    cipher.Initialize(key, 8, nullptr, CBlowFish::ECB, CBlowFish::COUNT);
    EXPECT_NE(refusal([&] { cipher.Encrypt(block, block, 5); }), "accepted");
    // Only the first 56 key bytes count.
    Bytes longKey(60, 0x5A);
    CBlowFish cut = Cipher(Bytes(longKey.begin(), longKey.begin() + 56), CBlowFish::ECB);
    CBlowFish full = Cipher(longKey, CBlowFish::ECB);
    const Bytes plain = FromHex("0123456789ABCDEF");
    EXPECT_EQ(Encrypt(full, plain), Encrypt(cut, plain));
}

}  // namespace
