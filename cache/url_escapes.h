// %XX decoding of URL text, as InternetCanonicalizeUrlA does it with
// ICU_DECODE | ICU_NO_ENCODE: escapes decoded, nothing new escaped.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

// Every "%" followed by two hexadecimal digits becomes the byte they name; a
// "%" without two digits after it stays as it is.
std::string DecodePercentEscapes(std::string_view text);

} // namespace larkspool
