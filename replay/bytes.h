// The numbers of a replay file: unsigned LEB128 varints of at most 32 bits in their shortest
// form, zigzag for signed ones, and the FNV-1a 64 hash of its integrity check and checksums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr std::size_t kMaxVarintBytes = 5;

// Writes `value` at `out` (room for kMaxVarintBytes); returns how many bytes it took.
inline std::size_t putVarint(uint32_t value, uint8_t* out) {
    std::size_t n = 0;
    while (value >= 0x80) {
        out[n++] = static_cast<uint8_t>(value | 0x80);
        value >>= 7;
    }
    out[n++] = static_cast<uint8_t>(value);
    return n;
}

enum class VarintRead { Ok, Short, Bad };

// Reads a varint at `pos`, moving past it. Short: the bytes end inside it; Bad: longer than
// 5 bytes, above 32 bits, or not in its shortest form (a last byte of 0 after others).
inline VarintRead getVarint(std::string_view bytes, std::size_t& pos, uint32_t& value) {
    uint64_t sum = 0;
    for (std::size_t i = 0; i < kMaxVarintBytes; ++i) {
        if (pos >= bytes.size()) return VarintRead::Short;
        const auto byte = static_cast<uint8_t>(bytes[pos++]);
        sum |= uint64_t{byte & 0x7Fu} << (7 * i);
        if ((byte & 0x80) == 0) {
            if ((byte == 0 && i > 0) || sum > UINT32_MAX) return VarintRead::Bad;
            value = static_cast<uint32_t>(sum);
            return VarintRead::Ok;
        }
    }
    return VarintRead::Bad;
}

inline uint32_t zigzag(int32_t value) {
    return (static_cast<uint32_t>(value) << 1) ^ static_cast<uint32_t>(value >> 31);
}

inline int32_t unzigzag(uint32_t value) {
    return static_cast<int32_t>((value >> 1) ^ (0u - (value & 1)));
}

inline constexpr uint64_t kFnvOffset = 14695981039346656037ull;
inline constexpr uint64_t kFnvPrime = 1099511628211ull;

// FNV-1a 64 of `bytes`, continuing from `hash` (kFnvOffset for a fresh one).
inline uint64_t fnv1a64(std::string_view bytes, uint64_t hash = kFnvOffset) {
    for (const char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * kFnvPrime;
    return hash;
}
