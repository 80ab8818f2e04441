#include "digest/BlowFish.h"

#include <nettle/cbc.h>
#include <nettle/cfb.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// Nettle's mode functions take the cipher as a function of this exact type.
void EncryptBlocks(const void* ctx, size_t length, uint8_t* dst, const uint8_t* src) {
    blowfish_encrypt(static_cast<const blowfish_ctx*>(ctx), length, dst, src);
}

void DecryptBlocks(const void* ctx, size_t length, uint8_t* dst, const uint8_t* src) {
    blowfish_decrypt(static_cast<const blowfish_ctx*>(ctx), length, dst, src);
}

bool IsPadding(int padding) {
    return padding == CBlowFish::ZEROES || padding == CBlowFish::BLANKS || padding == CBlowFish::COUNT;
}

}  // namespace

void CBlowFish::Initialize(const unsigned char* key, int keyLength, const unsigned char* chain, int mode,
                           int padding) {
    if (!key) {
        throw std::invalid_argument("FileCrypt ERROR: No Key DataSpecified!");
    }
    if (keyLength <= 0) {
        throw std::invalid_argument("FileCrypt ERROR: Key Data Length should be > 0!");
    }
    if (mode != ECB && mode != CBC && mode != CFB) {
        throw std::invalid_argument("FileCrypt ERROR: Illegal Operation Mode!");
    }
    if (!IsPadding(padding)) {
        throw std::invalid_argument("FileCrypt ERROR: Illegal Padding Mode!");
    }
    // The result only says whether the key is one of the rare weak ones; the cipher is set up either way,
    // as the published algorithm is.
    (void)blowfish_set_key(&m_ctx, static_cast<size_t>(std::min(keyLength, kMaxKeyLength)), key);
    m_initialChain.fill(0);
    if (chain) {
        std::memcpy(m_initialChain.data(), chain, kBlockSize);
    }
    m_chain = m_initialChain;
    m_nMode = mode;
    m_nPadding = padding;
    m_bInitialized = true;
}

void CBlowFish::SetPadding(int padding) {
    if (!IsPadding(padding)) {
        throw std::invalid_argument("FileCrypt ERROR: Illegal Padding Mode!");
    }
    m_nPadding = padding;
}

void CBlowFish::ResetChain() {
    if (!m_bInitialized) {
        throw std::logic_error("FileCrypt ERROR: Encryption/Decryption Object not Initialized!");
    }
    m_chain = m_initialChain;
}

size_t CBlowFish::Pad(unsigned char* buffer, size_t length) const {
    const size_t tail = length % kBlockSize;
    if (tail == 0) {
        return length;
    }
    const size_t added = kBlockSize - tail;
    const unsigned char fill = m_nPadding == COUNT    ? static_cast<unsigned char>(added)
                               : m_nPadding == BLANKS ? static_cast<unsigned char>(' ')
                                                      : static_cast<unsigned char>(0);
    std::memset(buffer + length, fill, added);
    return length + added;
}

void CBlowFish::CheckReady(size_t length) const {
    if (!m_bInitialized) {
        throw std::logic_error("FileCrypt ERROR: Encryption/Decryption Object not Initialized!");
    }
    // Nettle would stop the process on a partial block in these modes.
    if (m_nMode != CFB && length % kBlockSize != 0) {
        throw std::invalid_argument("FileCrypt ERROR: Data Length should be a multiple of the block size!");
    }
}

void CBlowFish::Encrypt(const unsigned char* in, unsigned char* out, size_t length) {
    CheckReady(length);
    switch (m_nMode) {
        case ECB:
            blowfish_encrypt(&m_ctx, length, out, in);
            break;
        case CBC:
            cbc_encrypt(&m_ctx, EncryptBlocks, kBlockSize, m_chain.data(), length, out, in);
            break;
        default:
            cfb_encrypt(&m_ctx, EncryptBlocks, kBlockSize, m_chain.data(), length, out, in);
            break;
    }
}

void CBlowFish::Decrypt(const unsigned char* in, unsigned char* out, size_t length) {
    CheckReady(length);
    switch (m_nMode) {
        case ECB:
            blowfish_decrypt(&m_ctx, length, out, in);
            break;
        case CBC:
            cbc_decrypt(&m_ctx, DecryptBlocks, kBlockSize, m_chain.data(), length, out, in);
            break;
        default:
            // CFB runs the cipher forwards in both directions.
            cfb_decrypt(&m_ctx, EncryptBlocks, kBlockSize, m_chain.data(), length, out, in);
            break;
    }
}
