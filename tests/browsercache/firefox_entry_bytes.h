// A Firefox cache2 entry file (body, then the metadata, then its offset), as
// Firefox lays it out, for building entries in tests and fuzzer seeds.
#pragma once

#include "browsercache/firefox_hash.h"

#include <cstdint>
#include <string>

namespace larkspool::testing {

inline std::string Be32(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// An entry file as Firefox lays it out.
struct FirefoxEntry {
    std::string body = "<html>hello</html>";
    std::uint32_t version = 3;
    std::string key = "a,:http://a.example/x.html";
    std::string elements = std::string("request-method\0GET\0response-head\0HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\0", 76);

    std::string Bytes() const
    {
        std::string metadata = std::string((body.size() + 262143) / 262144 * 2, 'h');
        metadata += Be32(version) + Be32(7) + Be32(1700000100) + Be32(1700000000) + Be32(5) + Be32(0xffffffff);
        metadata += Be32(std::uint32_t(key.size()));
        if (version >= 2)
            metadata += Be32(0);
        metadata += key + '\0' + elements;
        return body + Be32(browsercache::FirefoxHash(metadata)) + metadata + Be32(std::uint32_t(body.size()));
    }
};

} // namespace larkspool::testing
