#include "browsercache/utf16.h"

#include <cstdint>

namespace larkspool::browsercache {

namespace {

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string Utf8FromUtf16(std::string_view units)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        std::uint32_t code = std::uint8_t(units[i]) | std::uint32_t(std::uint8_t(units[i + 1])) << 8;
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < units.size()) {
            const std::uint32_t low = std::uint8_t(units[i + 2]) | std::uint32_t(std::uint8_t(units[i + 3])) << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
    }
    return out;
}

} // namespace larkspool::browsercache
