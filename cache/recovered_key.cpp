#include "cache/recovered_key.h"

#include <charconv>

namespace larkspool {
namespace {

// A control byte first: neither a URL record nor an HTTP cache key holds one there.
constexpr std::string_view kRecoveredPrefix = "\x01recovered@";
constexpr std::string_view kLeftoverPrefix = "\x01leftover@";

std::optional<std::uint64_t> NumberAfter(std::string_view key, std::string_view prefix)
{
    if (!key.starts_with(prefix))
        return std::nullopt;
    const std::string_view digits = key.substr(prefix.size());
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

} // namespace

std::string RecoveredKey(std::uint64_t number) { return std::string(kRecoveredPrefix) + std::to_string(number); }

std::string LeftoverKey(std::uint64_t number) { return std::string(kLeftoverPrefix) + std::to_string(number); }

std::optional<std::uint64_t> RecoveredKeyNumber(std::string_view key) { return NumberAfter(key, kRecoveredPrefix); }

std::optional<std::uint64_t> LeftoverKeyNumber(std::string_view key) { return NumberAfter(key, kLeftoverPrefix); }

} // namespace larkspool
