#include "digest/MD5.h"

#include <stdexcept>

CMD5::CMD5() {
    md5_init(&m_ctx);
}

void CMD5::AddData(const unsigned char* data, long length) {
    if (length < 0) {
        throw std::invalid_argument("FileDigest ERROR: in CMD5::AddData(), Data Length should be >= 0!");
    }
    md5_update(&m_ctx, static_cast<size_t>(length), data);
    m_bAdded = true;
}

void CMD5::FinalDigest(unsigned char* digest) {
    if (!m_bAdded) {
        throw std::logic_error("FileDigest ERROR: in CMD5::FinalDigest(), No data Added before call!");
    }
    // Nettle starts the context over once it has given the digest.
    md5_digest(&m_ctx, kDigestSize, digest);
    m_bAdded = false;
}
