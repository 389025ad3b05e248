// %XX decoding of URL text, as InternetCanonicalizeUrlA does it with
// ICU_DECODE | ICU_NO_ENCODE: escapes decoded, nothing new escaped.
#pragma once

#include "cache/wininet_types.h"

#include <string>
#include <string_view>

namespace larkspool {

// The value of a hexadecimal digit, or -1 for any other byte.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Every "%" followed by two hexadecimal digits becomes the byte they name; a
// "%" without two digits after it stays as it is.
std::string DecodePercentEscapes(std::string_view text);

// text with every byte for which escaped holds written as %XX (upper-case hex).
std::string PercentEscape(std::string_view text, bool (*escaped)(unsigned char));

// InternetCanonicalizeUrlA of every cache: ERROR_SUCCESS with the text in
// buffer and its length in *length, or the error code to fail with.
DWORD CanonicalizeUrl(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags);

} // namespace larkspool
