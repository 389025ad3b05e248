// Chromium's little-endian numbers, its pickled response record (as both of
// its cache formats store it) and a simple-cache entry file, for building
// entries in tests and fuzzer seeds.
#pragma once

#include "browsercache/crc32.h"

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
// them an original response time). rawHeaders are NUL-ended lines; the
// request was sent at requestMicroseconds (since 1601, UTC).
inline std::string ResponseRecord(std::uint32_t flags, const std::string& rawHeaders,
                                  std::uint64_t requestMicroseconds = kRequestMicroseconds)
{
    std::string payload = Le32(flags);
    if (flags & 0x80000000u)
        payload += Le32(4);
    payload += Le64(requestMicroseconds) + Le64(requestMicroseconds + 500);
    if (flags & 0x80000000u)
        payload += Le64(requestMicroseconds + 500);
    payload += PickleString(rawHeaders) + PickleString("127.0.0.1") + Le32(8765);
    return Le32(std::uint32_t(payload.size())) + payload;
}

inline std::string EndRecord(std::uint32_t flags, const std::string& stream, std::uint32_t size)
{
    return Le64(0xf4fa6f45970d41d8ULL) + Le32(flags) + Le32(browsercache::Crc32(stream)) + Le32(size) + Le32(0);
}

// An entry file "_0" of the simple cache, with the key's SHA-256 (stand-in
// bytes unless given) and CRCs for both streams, as Chromium lays it out.
struct SimpleEntry {
    std::string key = "1/0/_dk_http://127.0.0.1 http://127.0.0.1 http://127.0.0.1:8765/a.html";
    std::string body = "<p>hello</p>";
    std::string record = ResponseRecord(0x80000003u, std::string("HTTP/1.1 200 OK\0Content-Type: text/html\0\0", 41));
    std::string keySha256 = std::string(32, 's');

    std::string Bytes() const
    {
        return Le64(0xfcfb6d1ba7725c30ULL) + Le32(5) + Le32(std::uint32_t(key.size())) + Le32(0x1234) + Le32(0) + key +
               body + EndRecord(1, body, 0) + record + keySha256 +
               EndRecord(3, record, std::uint32_t(record.size()));
    }
};

} // namespace larkspool::testing
