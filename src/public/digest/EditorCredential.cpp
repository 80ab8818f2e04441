#include "digest/EditorCredential.h"

#include "digest/Base64.h"
#include "digest/BlowFish.h"
#include "digest/MD5.h"

namespace {

// The chain block of the credential cipher; ECB never changes it.
const unsigned char g_szChain[CBlowFish::kBlockSize] = {};

CBlowFish CredentialCipher(const std::string& account) {
    CMD5 md5;
    md5.AddData(reinterpret_cast<const unsigned char*>(account.data()), static_cast<long>(account.size()));
    unsigned char key[CMD5::kDigestSize];
    md5.FinalDigest(key);
    CBlowFish cipher;
    cipher.Initialize(key, CMD5::kDigestSize, g_szChain, CBlowFish::ECB, CBlowFish::COUNT);
    return cipher;
}

unsigned char* Bytes(std::string& text) {
    return reinterpret_cast<unsigned char*>(text.data());
}

}  // namespace

std::string SealEditorCredential(const std::string& account, const std::string& credential) {
    CBlowFish cipher = CredentialCipher(account);
    const size_t block = CBlowFish::kBlockSize;
    std::string plain = credential;
    plain.resize((credential.size() + block - 1) / block * block);
    cipher.Pad(Bytes(plain), credential.size());
    std::string sealed(plain.size(), '\0');
    cipher.Encrypt(Bytes(plain), Bytes(sealed), plain.size());
    return Base64Encode(sealed);
}

std::optional<std::string> OpenEditorCredential(const std::string& account, const std::string& sealed) {
    std::optional<std::string> bytes = Base64Decode(sealed);
    if (!bytes || bytes->size() % CBlowFish::kBlockSize != 0) {
        return std::nullopt;
    }
    CBlowFish cipher = CredentialCipher(account);
    std::string plain(bytes->size(), '\0');
    cipher.Decrypt(Bytes(*bytes), Bytes(plain), plain.size());
    if (!plain.empty()) {
        const size_t count = static_cast<unsigned char>(plain.back());
        if (count >= 1 && count < CBlowFish::kBlockSize &&
            plain.find_first_not_of(plain.back(), plain.size() - count) == std::string::npos) {
            plain.resize(plain.size() - count);
        }
    }
    return plain;
}
