#include "ground/platform/platform.hpp"

namespace tavolin {

namespace {

std::uint32_t rotl(std::uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

}  // namespace

void DefaultRandom::seed(std::uint32_t seed) {
    // splitmix64 spreads one 32-bit seed over the whole state, which must
    // never be all zero.
    std::uint64_t z = seed;
    for (auto& word : s_) {
        z += 0x9e3779b97f4a7c15ULL;
        std::uint64_t x = z;
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        x ^= x >> 31;
        word = static_cast<std::uint32_t>(x);
    }
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0) s_[0] = 1;
}

std::uint32_t DefaultRandom::next() {
    const std::uint32_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint32_t t = s_[1] << 9;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 11);
    return result;
}

std::uint32_t DefaultRandom::below(std::uint32_t n) {
    if (n <= 1) return 0;
    // Values at or above the largest multiple of n are drawn again.
    const std::uint32_t limit = static_cast<std::uint32_t>(-n) % n;  // 2^32 mod n
    for (;;) {
        const std::uint32_t r = next();
        if (r >= limit) return r % n;
    }
}

}  // namespace tavolin
