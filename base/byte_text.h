// Byte-level text tests shared by the link rewriter and the browser caches:
// ASCII-only case folding, control characters and Shift-JIS lead bytes. Page
// text is never decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspool {

// Bytes 0x00 to 0x1F; bytes from 0x80 up never count.
constexpr bool IsControlByte(char c)
{
    return static_cast<unsigned char>(c) < 0x20;
}

// First byte of a Shift-JIS (code page 932) double-byte character.
constexpr bool IsShiftJisLeadByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}

constexpr char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// text with its ASCII letters in lower case and every other byte as it is.
inline std::string LowerAsciiText(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

// Compares a.size() bytes of text with a, folding ASCII letters only; text
// shorter than a never matches.
constexpr bool StartsWithNoCase(std::string_view text, std::string_view a)
{
    if (text.size() < a.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(text[i]) != UpperAscii(a[i]))
            return false;
    }
    return true;
}

constexpr bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

constexpr bool EndsWithNoCase(std::string_view text, std::string_view a)
{
    return text.size() >= a.size() && StartsWithNoCase(text.substr(text.size() - a.size()), a);
}

} // namespace larkspool
