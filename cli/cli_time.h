// The time texts of larkspool-cli: UTC as YYYY-MM-DDThh:mm:ssZ, local
// times as YYYY-MM-DDThh:mm:ss, a zero time as "-".
#pragma once

#include "cache/wininet_types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace larkspool::cli {

std::string FormatUtcTime(FILETIME time);
// ticks are already local: the calendar fields are printed as they are.
std::string FormatLocalTicks(std::uint64_t ticks);
// Accepts exactly YYYY-MM-DDThh:mm:ssZ.
std::optional<FILETIME> ParseUtcTime(const std::string& text);

} // namespace larkspool::cli
