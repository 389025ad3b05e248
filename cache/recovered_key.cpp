#include "cache/recovered_key.h"

#include <charconv>

namespace larkspool {
namespace {

// A control byte first: neither a URL record nor an HTTP cache key holds one there.
constexpr std::string_view kRecoveredPrefix = "\x01recovered@";
constexpr std::string_view kLeftoverPrefix = "\x01leftover@";
constexpr std::string_view kMemberPrefix = "\x01member@";

// The number after prefix up to stop (the end of key when stop is 0), and
// where it ends.
std::optional<std::uint64_t> NumberAfter(std::string_view key, std::string_view prefix, char stop = 0,
                                         std::size_t* used = nullptr)
{
    if (!key.starts_with(prefix))
        return std::nullopt;
    std::string_view digits = key.substr(prefix.size());
    if (stop) {
        const std::size_t at = digits.find(stop);
        if (at == std::string_view::npos)
            return std::nullopt;
        digits = digits.substr(0, at);
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    if (used)
        *used = prefix.size() + digits.size() + (stop ? 1 : 0);
    return number;
}

} // namespace

std::string RecoveredKey(std::uint64_t number) { return std::string(kRecoveredPrefix) + std::to_string(number); }

std::string LeftoverKey(std::uint64_t number) { return std::string(kLeftoverPrefix) + std::to_string(number); }

std::optional<std::uint64_t> RecoveredKeyNumber(std::string_view key)
{
    return NumberAfter(OwnKey(key), kRecoveredPrefix);
}

std::optional<std::uint64_t> LeftoverKeyNumber(std::string_view key)
{
    return NumberAfter(OwnKey(key), kLeftoverPrefix);
}

std::string MemberKey(std::size_t member, std::string_view key)
{
    return std::string(kMemberPrefix) + std::to_string(member) + "@" + std::string(key);
}

std::optional<MemberKeyParts> SplitMemberKey(std::string_view key)
{
    std::size_t used = 0;
    const auto member = NumberAfter(key, kMemberPrefix, '@', &used);
    if (!member)
        return std::nullopt;
    return MemberKeyParts{std::size_t(*member), key.substr(used)};
}

std::string_view OwnKey(std::string_view key)
{
    const auto parts = SplitMemberKey(key);
    return parts ? parts->key : key;
}

} // namespace larkspool
