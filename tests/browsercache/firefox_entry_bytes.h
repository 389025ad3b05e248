// A Firefox cache2 entry file (body, then the metadata, then its offset), as
// Firefox lays it out, for building entries in tests and fuzzer seeds.
#pragma once

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
        std::string file = body + Be32(0x12345678) + std::string((body.size() + 262143) / 262144 * 2, 'h');
        file += Be32(version) + Be32(7) + Be32(1700000100) + Be32(1700000000) + Be32(5) + Be32(0xffffffff);
        file += Be32(std::uint32_t(key.size()));
        if (version >= 2)
            file += Be32(0);
        file += key + '\0' + elements + Be32(std::uint32_t(body.size()));
        return file;
    }
};

} // namespace larkspool::testing
