// Bytes compressed with zlib, as servers send them: gzip (windowBits 15+16),
// zlib-wrapped deflate (15) or raw deflate (-15). For tests and benchmarks.
#pragma once

#include <zlib.h>

#include <string>

namespace larkspool::testing {

inline std::string Deflated(const std::string& data, int windowBits, int level = 6)
{
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, uLong(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace larkspool::testing
