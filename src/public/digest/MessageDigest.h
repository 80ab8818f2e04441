#pragma once
// A message digest fed in pieces.

class IMessageDigest {
public:
    virtual ~IMessageDigest() = default;
    // Adds length bytes to the message; a negative length throws std::invalid_argument.
    virtual void AddData(const unsigned char* data, long length) = 0;
    // Writes the digest of everything added and starts a new message; throws std::logic_error when
    // nothing was added since the last digest.
    virtual void FinalDigest(unsigned char* digest) = 0;
};
