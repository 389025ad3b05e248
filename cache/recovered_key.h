// The keys a cache gives the entries it found beyond its live ones, which
// may share a URL with a live entry or have none: UrlCache::EntryKey.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool {

// A recovered record: a key no stored URL starts with, then number, the
// cache's own way to find the record again (an offset, an index).
std::string RecoveredKey(std::uint64_t number);
// A leftover file, one no record names: the same with its own prefix.
std::string LeftoverKey(std::uint64_t number);
// number again, or nullopt when key is no such key.
std::optional<std::uint64_t> RecoveredKeyNumber(std::string_view key);
std::optional<std::uint64_t> LeftoverKeyNumber(std::string_view key);

} // namespace larkspool
