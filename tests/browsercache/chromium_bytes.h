// Chromium's little-endian numbers and its pickled response record, as both
// of its cache formats store them, for building entries in tests and seeds.
#pragma once

#include <cstdint>
#include <string>

namespace larkspool::testing {

inline std::string Le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
inline std::string Le64(std::uint64_t v) { return Le32(std::uint32_t(v)) + Le32(std::uint32_t(v >> 32)); }

inline std::string PickleString(const std::string& text)
{
    return Le32(std::uint32_t(text.size())) + text + std::string((4 - text.size() % 4) % 4, '\0');
}

inline constexpr std::uint64_t kRequestMicroseconds = 13441196716930187ULL; // 2026-12-08 09:45:16.930187 UTC

// A response record; flags choose the layout (bit 31: extra flags, and with
// them an original response time). rawHeaders are NUL-ended lines.
inline std::string ResponseRecord(std::uint32_t flags, const std::string& rawHeaders)
{
    std::string payload = Le32(flags);
    if (flags & 0x80000000u)
        payload += Le32(4);
    payload += Le64(kRequestMicroseconds) + Le64(kRequestMicroseconds + 500);
    if (flags & 0x80000000u)
        payload += Le64(kRequestMicroseconds + 500);
    payload += PickleString(rawHeaders) + PickleString("127.0.0.1") + Le32(8765);
    return Le32(std::uint32_t(payload.size())) + payload;
}

} // namespace larkspool::testing
