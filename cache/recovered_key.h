// The keys a cache gives the entries it found beyond its live ones, which
// may share a URL with a live entry or have none: UrlCache::EntryKey.
#pragma once

#include <cstddef>
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
// number again, or nullopt when key is no such key; a member's key (below)
// is looked through.
std::optional<std::uint64_t> RecoveredKeyNumber(std::string_view key);
std::optional<std::uint64_t> LeftoverKeyNumber(std::string_view key);

// The key a cache of several gives an entry of its member number member
// (but the first's, whose keys it leaves as they are): the member's own key
// behind a prefix of the member's number.
std::string MemberKey(std::size_t member, std::string_view key);
struct MemberKeyParts {
    std::size_t member = 0;
    std::string_view key; // the member's own key, a view into the key split
};
// nullopt when key is no member's key.
std::optional<MemberKeyParts> SplitMemberKey(std::string_view key);
// The key the cache that holds the entry gave it: key itself, or the
// member's own key.
std::string_view OwnKey(std::string_view key);

} // namespace larkspool
