// %XX decoding of URL text for the cache store's canonicalisation.
#include "cache/url_escapes.h"

#include <algorithm>

namespace larkspool {
std::string DecodePercentEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string PercentEscape(std::string_view text, bool (*escaped)(unsigned char))
{
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (escaped(byte)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

DWORD CanonicalizeUrl(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags)
{
    if (!url || !length || *length == 0)
        return ERROR_INVALID_PARAMETER;
    std::string text = (flags & ICU_DECODE) ? DecodePercentEscapes(url) : std::string(url);
    text.resize(std::min(text.size(), text.find('\0'))); // a decoded NUL ends the text, as in WinINet
    if (!buffer || *length < text.size() + 1) {
        *length = DWORD(text.size() + 1);
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = '\0';
    *length = DWORD(text.size());
    return ERROR_SUCCESS;
}

} // namespace larkspool
