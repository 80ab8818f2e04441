#pragma once
// Blowfish (the published cipher) on GNU Nettle, in ECB, CBC or CFB mode with a chain block that runs on
// from one call to the next. Errors are thrown as std::invalid_argument or std::logic_error.

#include <nettle/blowfish.h>

#include <array>

#include "digest/Method.h"

class CBlowFish final : public IMethod {
public:
    enum Mode { ECB = 0, CBC = 1, CFB = 2 };
    // Padding fills the last block with zero bytes, with spaces, or with bytes that each hold the number
    // of bytes added.
    enum Padding { ZEROES = 0, BLANKS = 1, COUNT = 2 };
    static constexpr int kBlockSize = BLOWFISH_BLOCK_SIZE;
    // Longer keys are cut to this many bytes.
    static constexpr int kMaxKeyLength = BLOWFISH_MAX_KEY_SIZE;

    void Initialize(const unsigned char* key, int keyLength, const unsigned char* chain, int mode,
                    int padding) override;
    void SetPadding(int padding) override;
    int GetBlockSize() const override { return kBlockSize; }
    void ResetChain() override;
    size_t Pad(unsigned char* buffer, size_t length) const override;
    // ECB and CBC take whole blocks only; CFB any length (a partial block ends the chain).
    void Encrypt(const unsigned char* in, unsigned char* out, size_t length) override;
    void Decrypt(const unsigned char* in, unsigned char* out, size_t length) override;

private:
    using Block = std::array<unsigned char, kBlockSize>;

    void CheckReady(size_t length) const;

    blowfish_ctx m_ctx{};
    Block m_initialChain{};
    Block m_chain{};
    int m_nMode = ECB;
    int m_nPadding = ZEROES;
    bool m_bInitialized = false;
};
