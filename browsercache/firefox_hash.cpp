// Jenkins' 96-bit mix over 12-byte little-endian blocks, the tail folded in
// with the length.
#include "browsercache/firefox_hash.h"

namespace larkspool::browsercache {

namespace {

void Mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c)
{
    a -= b; a -= c; a ^= c >> 13;
    b -= c; b -= a; b ^= a << 8;
    c -= a; c -= b; c ^= b >> 13;
    a -= b; a -= c; a ^= c >> 12;
    b -= c; b -= a; b ^= a << 16;
    c -= a; c -= b; c ^= b >> 5;
    a -= b; a -= c; a ^= c >> 3;
    b -= c; b -= a; b ^= a << 10;
    c -= a; c -= b; c ^= b >> 15;
}

// Bytes [at, at + count) of the block as a little-endian number; count <= 4.
std::uint32_t Word(std::string_view block, std::size_t at, std::size_t count)
{
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < count; ++i)
        word |= std::uint32_t(static_cast<unsigned char>(block[at + i])) << (8 * i);
    return word;
}

} // namespace

std::uint32_t FirefoxHash(std::string_view bytes)
{
    std::uint32_t a = 0x9e3779b9, b = 0x9e3779b9, c = 0;
    const std::uint32_t length = std::uint32_t(bytes.size());
    while (bytes.size() >= 12) {
        a += Word(bytes, 0, 4);
        b += Word(bytes, 4, 4);
        c += Word(bytes, 8, 4);
        Mix(a, b, c);
        bytes.remove_prefix(12);
    }
    // The tail: bytes 0-3 into a, 4-7 into b, 8-10 into c above its low byte.
    c += length;
    const std::size_t tail = bytes.size();
    a += Word(bytes, 0, tail < 4 ? tail : 4);
    if (tail > 4)
        b += Word(bytes, 4, tail < 8 ? tail - 4 : 4);
    if (tail > 8)
        c += Word(bytes, 8, tail - 8) << 8;
    Mix(a, b, c);
    return c;
}

} // namespace larkspool::browsercache
