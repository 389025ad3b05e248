#include "cache/recovered_key.h"

#include <charconv>

namespace larkspool {
namespace {

// A control byte first: neither a URL record nor an HTTP cache key holds one there.
constexpr std::string_view kPrefix = "\x01recovered@";

} // namespace

std::string RecoveredKey(std::uint64_t number) { return std::string(kPrefix) + std::to_string(number); }

std::optional<std::uint64_t> RecoveredKeyNumber(std::string_view key)
{
    if (!key.starts_with(kPrefix))
        return std::nullopt;
    const std::string_view digits = key.substr(kPrefix.size());
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

} // namespace larkspool
