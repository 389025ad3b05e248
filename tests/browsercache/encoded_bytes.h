// Bytes in each Content-Encoding a browser keeps bodies in, made with the
// same libraries the cache decodes with. For tests and fuzzer seeds.
#pragma once

#include "tests/browsercache/deflated_bytes.h"

#include <brotli/encode.h>
#include <zstd.h>

#include <cstdint>
#include <string>

namespace larkspool::testing {

inline std::string Brotli(const std::string& data)
{
    std::size_t size = BrotliEncoderMaxCompressedSize(data.size()) + 16;
    std::string out(size, '\0');
    BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC, data.size(),
                          reinterpret_cast<const std::uint8_t*>(data.data()), &size,
                          reinterpret_cast<std::uint8_t*>(out.data()));
    out.resize(size);
    return out;
}

inline std::string Zstd(const std::string& data)
{
    std::string out(ZSTD_compressBound(data.size()), '\0');
    out.resize(ZSTD_compress(out.data(), out.size(), data.data(), data.size(), 3));
    return out;
}

// encoding: "gzip", "deflate", "raw deflate", "br", "zstd" or "gzip, br";
// anything else leaves data as it is.
inline std::string Encoded(const std::string& data, const std::string& encoding)
{
    if (encoding == "gzip")
        return Deflated(data, 15 + 16);
    if (encoding == "deflate")
        return Deflated(data, 15);
    if (encoding == "raw deflate")
        return Deflated(data, -15);
    if (encoding == "br")
        return Brotli(data);
    if (encoding == "zstd")
        return Zstd(data);
    if (encoding == "gzip, br")
        return Brotli(Deflated(data, 15 + 16));
    return data;
}

} // namespace larkspool::testing
