// Time texts for larkspool-cli output and options.
#include "cli/cli_time.h"

#include "cache/file_time.h"

#include <cstdio>
#include <ctime>

namespace larkspool::cli {
namespace {

std::string FormatCalendar(std::uint64_t anyTicks, const char* suffix)
{
    if (anyTicks == 0)
        return "-";
    const std::uint64_t ticks = FileSystemTicks(anyTicks);
    const auto seconds = static_cast<std::time_t>(static_cast<std::int64_t>(ticks / kTicksPerSecond) -
                                                  static_cast<std::int64_t>(kUnixEpochTicks / kTicksPerSecond));
    std::tm fields{};
    if (!gmtime_r(&seconds, &fields))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%s", fields.tm_year + 1900, fields.tm_mon + 1,
                  fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec, suffix);
    return text;
}

} // namespace

std::string FormatUtcTime(FILETIME time) { return FormatCalendar(FileTimeTicks(time), "Z"); }

std::string FormatLocalTicks(std::uint64_t ticks) { return FormatCalendar(ticks, ""); }

std::optional<FILETIME> ParseUtcTime(const std::string& text)
{
    std::tm fields{};
    char zone = 0;
    int used = 0;
    if (text.size() != 20 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                    &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &zone, &used) != 7 ||
        used != 20 || zone != 'Z')
        return std::nullopt;
    if (fields.tm_mon < 1 || fields.tm_mon > 12 || fields.tm_mday < 1 || fields.tm_mday > 31 || fields.tm_hour > 23 ||
        fields.tm_min > 59 || fields.tm_sec > 60 || fields.tm_year < 1601)
        return std::nullopt;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    const std::time_t seconds = timegm(&fields);
    const std::int64_t ticks = static_cast<std::int64_t>(seconds) * std::int64_t(kTicksPerSecond) +
                               std::int64_t(kUnixEpochTicks);
    if (ticks <= 0)
        return std::nullopt;
    return MakeFileTime(static_cast<std::uint64_t>(ticks));
}

} // namespace larkspool::cli
