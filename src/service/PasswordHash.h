#pragma once

#include <string>

namespace nimbra::service {

// PBKDF2-HMAC-SHA256 of a password; the salt and the iteration count are stored with the hash.
struct PasswordHash {
    std::string salt;
    std::string hash;
    int iterations = 0;

    static PasswordHash Create(const std::string& password);
    bool Matches(const std::string& password) const;
};

}  // namespace nimbra::service
