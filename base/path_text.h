// Path text as the catalogue, the jobs and the exported tree spell it: "/"
// between elements, on every platform.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

// The text after the last "/": the whole path without one.
inline std::string FileNameOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The text before the last "/"; empty without one.
inline std::string FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

// The file name's extension with its dot ("a/b.c.gif": ".gif"); empty when
// the name has no dot (a dot in a folder's name does not count).
inline std::string ExtensionOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    return hasExtension ? std::string(path.substr(dot)) : std::string();
}

} // namespace larkspool
