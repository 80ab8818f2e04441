#include "io/Crc32c.h"

#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <nmmintrin.h>
#endif

namespace nimbra::io {
namespace {

constexpr uint32_t kPolynomial = 0x82F63B78;  // bit-reflected
// Stripe lengths of the interleaved streams: long ones for big buffers, short ones for network-sized pieces.
constexpr size_t kLongStripe = 8192;
constexpr size_t kShortStripe = 256;

// Moves a raw CRC register past a run of zero bytes, one table per register byte. CRC registers are linear,
// so a register over A then B is the register over A moved past |B| zeros, xor the register over B alone.
struct ZeroRun {
    uint32_t table[4][256];

    uint32_t Apply(uint32_t reg) const {
        return table[0][reg & 0xFF] ^ table[1][(reg >> 8) & 0xFF] ^ table[2][(reg >> 16) & 0xFF] ^
               table[3][reg >> 24];
    }
};

struct Tables {
    uint32_t bytewise[256];
    ZeroRun longRun;
    ZeroRun shortRun;

    Tables() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t reg = n;
            for (int bit = 0; bit < 8; ++bit) {
                reg = (reg & 1) ? (reg >> 1) ^ kPolynomial : reg >> 1;
            }
            bytewise[n] = reg;
        }
        Fill(longRun, kLongStripe);
        Fill(shortRun, kShortStripe);
    }

    uint32_t Soft(uint32_t reg, const uint8_t* p, size_t n) const {
        while (n-- > 0) {
            reg = bytewise[(reg ^ *p++) & 0xFF] ^ (reg >> 8);
        }
        return reg;
    }

    void Fill(ZeroRun& run, size_t zeros) const {
        uint32_t basis[32];
        const std::vector<uint8_t> empty(zeros, 0);
        for (int bit = 0; bit < 32; ++bit) {
            basis[bit] = Soft(1u << bit, empty.data(), empty.size());
        }
        for (int part = 0; part < 4; ++part) {
            for (uint32_t value = 0; value < 256; ++value) {
                uint32_t moved = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    if (value & (1u << bit)) {
                        moved ^= basis[part * 8 + bit];
                    }
                }
                run.table[part][value] = moved;
            }
        }
    }
};

const Tables& Shared() {
    static const Tables tables;
    return tables;
}

#if defined(__x86_64__)
uint64_t Load(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Three independent streams keep the instruction's pipeline full; their registers are joined afterwards.
__attribute__((target("sse4.2"))) uint32_t Interleaved(const ZeroRun& run, size_t stripe, uint32_t reg,
                                                       const uint8_t* p) {
    uint64_t a = reg;
    uint64_t b = 0;
    uint64_t c = 0;
    for (size_t i = 0; i < stripe; i += 8) {
        a = _mm_crc32_u64(a, Load(p + i));
        b = _mm_crc32_u64(b, Load(p + stripe + i));
        c = _mm_crc32_u64(c, Load(p + 2 * stripe + i));
    }
    return run.Apply(run.Apply(static_cast<uint32_t>(a)) ^ static_cast<uint32_t>(b)) ^
           static_cast<uint32_t>(c);
}

__attribute__((target("sse4.2"))) uint32_t Hard(const Tables& tables, uint32_t reg, const uint8_t* p,
                                                size_t n) {
    for (; n >= 3 * kLongStripe; p += 3 * kLongStripe, n -= 3 * kLongStripe) {
        reg = Interleaved(tables.longRun, kLongStripe, reg, p);
    }
    for (; n >= 3 * kShortStripe; p += 3 * kShortStripe, n -= 3 * kShortStripe) {
        reg = Interleaved(tables.shortRun, kShortStripe, reg, p);
    }
    uint64_t wide = reg;
    for (; n >= 8; p += 8, n -= 8) {
        wide = _mm_crc32_u64(wide, Load(p));
    }
    reg = static_cast<uint32_t>(wide);
    for (; n > 0; --n) {
        reg = _mm_crc32_u8(reg, *p++);
    }
    return reg;
}
#endif

}  // namespace

uint32_t Crc32c::Extend(uint32_t crc, const void* data, size_t size) {
    const Tables& tables = Shared();
    const auto* bytes = static_cast<const uint8_t*>(data);
#if defined(__x86_64__)
    static const bool hardware = __builtin_cpu_supports("sse4.2");
    if (hardware) {
        return ~Hard(tables, ~crc, bytes, size);
    }
#endif
    return ~tables.Soft(~crc, bytes, size);
}

std::array<uint8_t, 4> Crc32c::Bytes(uint32_t crc) {
    return {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 8),
            static_cast<uint8_t>(crc)};
}

}  // namespace nimbra::io
