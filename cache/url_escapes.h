// %XX decoding of URL text, as InternetCanonicalizeUrlA does it with
// ICU_DECODE | ICU_NO_ENCODE: escapes decoded, nothing new escaped.
#pragma once

#include "cache/wininet_types.h"

#include <string>
#include <string_view>

namespace larkspool {

// Every "%" followed by two hexadecimal digits becomes the byte they name; a
// "%" without two digits after it stays as it is.
std::string DecodePercentEscapes(std::string_view text);

// InternetCanonicalizeUrlA of every cache: ERROR_SUCCESS with the text in
// buffer and its length in *length, or the error code to fail with.
DWORD CanonicalizeUrl(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags);

} // namespace larkspool
