// The key a cache gives an entry it found beyond its live ones (a recovered
// record), which may share its URL with a live entry: UrlCache::EntryKey.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool {

// A key no stored URL starts with, then number: the cache's own way to find
// the record again (an offset, an index).
std::string RecoveredKey(std::uint64_t number);
// number again, or nullopt when key is no such key.
std::optional<std::uint64_t> RecoveredKeyNumber(std::string_view key);

} // namespace larkspool
