#include "service/RandomToken.h"

#include <sys/random.h>

#include <stdexcept>

namespace nimbra::service {

std::string RandomBytes(size_t bytes) {
    std::string out(bytes, '\0');
    size_t filled = 0;
    while (filled < bytes) {
        const ssize_t got = getrandom(out.data() + filled, bytes - filled, 0);
        if (got < 0)
            throw std::runtime_error("getrandom failed");
        filled += static_cast<size_t>(got);
    }
    return out;
}

std::string RandomHex(size_t bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : RandomBytes(bytes)) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

}  // namespace nimbra::service
