#pragma once

#include <cstddef>
#include <string>

namespace nimbra::service {

// Lower-case hex text of `bytes` bytes from the kernel's random source (tokens, upload ids, salts).
std::string RandomHex(size_t bytes);
std::string RandomBytes(size_t bytes);

}  // namespace nimbra::service
