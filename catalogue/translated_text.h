// Texts of the layers below the windows in the user's language. The source
// texts are the program's own; lupdate finds them in Translated() as in
// QCoreApplication::translate().
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace larkspool {

// The installed translation of text, UTF-8; text itself when none is.
std::string Translated(const char* context, const char* text);

// pattern with %1 to %9 replaced by values in one pass, the values' bytes as
// they come (a file name in Shift-JIS stays so; a "%2" in a value stays).
// A number without a value, and any other '%', stays as written.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

} // namespace larkspool
