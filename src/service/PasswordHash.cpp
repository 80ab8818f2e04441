#include "service/PasswordHash.h"

#include <nettle/memops.h>
#include <nettle/pbkdf2.h>
#include <nettle/sha2.h>

#include "service/RandomToken.h"

namespace nimbra::service {

namespace {

constexpr int kIterations = 20000;
constexpr size_t kHashBytes = 32;

std::string Derive(const std::string& password, const std::string& salt, int iterations) {
    std::string out(kHashBytes, '\0');
    pbkdf2_hmac_sha256(password.size(), reinterpret_cast<const uint8_t*>(password.data()),
                       static_cast<unsigned>(iterations), salt.size(),
                       reinterpret_cast<const uint8_t*>(salt.data()), out.size(),
                       reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

}  // namespace

PasswordHash PasswordHash::Create(const std::string& password) {
    PasswordHash result;
    result.salt = RandomBytes(16);
    result.iterations = kIterations;
    result.hash = Derive(password, result.salt, kIterations);
    return result;
}

bool PasswordHash::Matches(const std::string& password) const {
    const std::string candidate = Derive(password, salt, iterations);
    // Constant-time compare: the login must not tell how much of a guess was right.
    return candidate.size() == hash.size() && memeql_sec(candidate.data(), hash.data(), hash.size()) != 0;
}

}  // namespace nimbra::service
