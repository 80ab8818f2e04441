#pragma once
// A block cipher with its operation mode, chain block and padding.

#include <cstddef>

class IMethod {
public:
    virtual ~IMethod() = default;
    // key: keyLength bytes; chain: one block (null for zeros); mode and padding as the cipher defines them.
    virtual void Initialize(const unsigned char* key, int keyLength, const unsigned char* chain, int mode,
                            int padding) = 0;
    virtual void SetPadding(int padding) = 0;
    virtual int GetBlockSize() const = 0;
    // Back to the chain block Initialize was given.
    virtual void ResetChain() = 0;
    // Fills buffer from length up to the end of its last block; returns the padded length. The buffer
    // holds that many bytes.
    virtual size_t Pad(unsigned char* buffer, size_t length) const = 0;
    virtual void Encrypt(const unsigned char* in, unsigned char* out, size_t length) = 0;
    virtual void Decrypt(const unsigned char* in, unsigned char* out, size_t length) = 0;
};
