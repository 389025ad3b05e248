// The extension a decoded body's local file gets, as WinINet names its
// cached files: .htm for a page, else the URL's, else by Content-Type.
#pragma once

#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Without the dot; "" when neither the type nor the URL gives one.
std::string LocalFileExtension(std::string_view contentType, std::string_view url);

// The type a file of this extension (without the dot, any case) has; ""
// when the extension is not one of the known types'.
std::string ContentTypeOfExtension(std::string_view extension);

} // namespace larkspool::browsercache
