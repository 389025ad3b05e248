// Chromium's little-endian numbers, its pickled response record (as both of
// its cache formats store it), a simple-cache entry file and the protobuf
// fields CacheStorage writes, for building entries in tests and fuzzer seeds.
#pragma once

#include "browsercache/crc32.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

// A sparse file "_s" of the simple cache: the header and key, then each
// range (its offset in the body, its bytes) with the CRC-32 of its bytes.
inline std::string SimpleSparseFile(const std::string& key,
                                    const std::vector<std::pair<std::uint64_t, std::string>>& ranges)
{
    std::string out = Le64(0xfcfb6d1ba7725c30ULL) + Le32(9) + Le32(std::uint32_t(key.size())) + Le32(0x1234) +
                      Le32(0) + key;
    for (const auto& [offset, bytes] : ranges)
        out += Le64(0xeb97bf016553676bULL) + Le64(offset) + Le64(bytes.size()) + Le32(browsercache::Crc32(bytes)) +
               Le32(0) + bytes;
    return out;
}

// Protobuf's wire format: a varint field, and a length-delimited one.
inline std::string ProtoVarint(std::uint64_t v)
{
    std::string out;
    for (; v >= 0x80; v >>= 7)
        out += char(0x80 | (v & 0x7F));
    return out + char(v);
}
inline std::string ProtoNumber(std::uint32_t number, std::uint64_t v) { return ProtoVarint(number << 3) + ProtoVarint(v); }
inline std::string ProtoBytes(std::uint32_t number, const std::string& bytes)
{
    return ProtoVarint(number << 3 | 2) + ProtoVarint(bytes.size()) + bytes;
}

// A CacheStorage index.txt naming caches (name, folder) of origin.
inline std::string CacheStorageIndexFile(const std::vector<std::pair<std::string, std::string>>& caches,
                                         const std::string& origin = "https://example.org/")
{
    std::string out;
    for (const auto& [name, folder] : caches)
        out += ProtoBytes(1, ProtoBytes(1, name) + ProtoBytes(2, folder) + ProtoNumber(3, 4608) + ProtoNumber(6, 3));
    return out + ProtoBytes(2, origin) + ProtoBytes(3, origin) + ProtoNumber(4, 1);
}

// CacheStorage's stream 0: a GET request, and a response of status with
// headers (name, value), responded at requestMicroseconds + 500.
inline std::string CacheStorageRecord(std::uint64_t status, const std::vector<std::pair<std::string, std::string>>& headers,
                                      const std::string& url = "https://example.org/a.html")
{
    std::string response = ProtoNumber(1, status) + ProtoBytes(2, "OK") + ProtoNumber(3, 0);
    for (const auto& [name, value] : headers)
        response += ProtoBytes(4, ProtoBytes(1, name) + ProtoBytes(2, value));
    response += ProtoNumber(6, kRequestMicroseconds + 500) + ProtoBytes(8, url) + ProtoBytes(13, "text/html");
    return ProtoBytes(1, ProtoBytes(1, "GET")) + ProtoBytes(2, response) + ProtoNumber(3, kRequestMicroseconds + 900);
}

} // namespace larkspool::testing
