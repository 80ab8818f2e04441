#pragma once
// MD5 (RFC 1321) on GNU Nettle.

#include <nettle/md5.h>

#include "digest/MessageDigest.h"

class CMD5 final : public IMessageDigest {
public:
    static constexpr int kDigestSize = MD5_DIGEST_SIZE;

    CMD5();
    void AddData(const unsigned char* data, long length) override;
    // Writes kDigestSize bytes.
    void FinalDigest(unsigned char* digest) override;

private:
    md5_ctx m_ctx;
    bool m_bAdded = false;
};
