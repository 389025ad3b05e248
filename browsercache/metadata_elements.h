// Firefox's caches keep an entry's metadata as name NUL value NUL pairs.
#pragma once

#include <string_view>

namespace larkspool::browsercache {

// Splits the first pair off elements; false when it is not whole.
inline bool NextMetadataElement(std::string_view& elements, std::string_view& name, std::string_view& value)
{
    const std::size_t nameEnd = elements.find('\0');
    if (nameEnd == std::string_view::npos)
        return false;
    const std::size_t valueEnd = elements.find('\0', nameEnd + 1);
    if (valueEnd == std::string_view::npos)
        return false;
    name = elements.substr(0, nameEnd);
    value = elements.substr(nameEnd + 1, valueEnd - nameEnd - 1);
    elements.remove_prefix(valueEnd + 1);
    return true;
}

} // namespace larkspool::browsercache
