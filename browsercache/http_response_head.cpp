// Response heads as the format readers hand them: lines ended by "\r\n",
// the status line first.
#include "browsercache/http_response_head.h"

#include "cache/civil_date.h"
#include "cache/file_time.h"
#include "base/byte_text.h"

#include <array>
#include <vector>

namespace larkspool::browsercache {
namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool IsDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int Number(std::string_view digits)
{
    int value = 0;
    for (const char c : digits.substr(0, 9))
        value = value * 10 + (c - '0');
    return value;
}

int MonthNumber(std::string_view name)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (EqualNoCase(name, kMonths[i]))
            return int(i) + 1;
    return 0;
}

} // namespace

int ResponseStatus(std::string_view head)
{
    const std::string_view line = head.substr(0, head.find('\n'));
    if (line.substr(0, 5) != "HTTP/")
        return 0;
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || line.size() < blank + 4)
        return 0;
    const std::string_view code = line.substr(blank + 1, 3);
    return IsDigits(code) ? Number(code) : 0;
}

std::string QuotedHeaderValue(std::string_view value)
{
    return value.size() <= kQuotedValueBytes ? std::string(value)
                                             : std::string(value.substr(0, kQuotedValueBytes)) + "...";
}

std::optional<std::string> HeaderValue(std::string_view head, std::string_view name)
{
    std::size_t at = head.find('\n'); // past the status line
    while (at != std::string_view::npos && at < head.size()) {
        const std::size_t end = head.find('\n', at + 1);
        const std::string_view line =
            head.substr(at + 1, (end == std::string_view::npos ? head.size() : end) - at - 1);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualNoCase(Trimmed(line.substr(0, colon)), name))
            return std::string(Trimmed(line.substr(colon + 1)));
        at = end;
    }
    return std::nullopt;
}

std::uint64_t ParseHttpDate(std::string_view text)
{
    // Split into words at blanks, commas and dashes; then each word is known
    // by its shape: a month name, hh:mm:ss, the day (1-2 digits, first) or
    // the year (the other number).
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == ',' || text[i] == '-') {
            if (i > start)
                words.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    int day = 0, month = 0, year = -1, hour = -1, minute = 0, second = 0;
    for (const std::string_view word : words) {
        if (word.size() == 8 && word[2] == ':' && word[5] == ':' && IsDigits(word.substr(0, 2)) &&
            IsDigits(word.substr(3, 2)) && IsDigits(word.substr(6, 2))) {
            hour = Number(word.substr(0, 2));
            minute = Number(word.substr(3, 2));
            second = Number(word.substr(6, 2));
        } else if (MonthNumber(word) != 0) {
            month = MonthNumber(word);
        } else if (IsDigits(word) && word.size() <= 2 && day == 0) {
            day = Number(word);
        } else if (IsDigits(word) && (word.size() == 2 || word.size() == 4) && year < 0) {
            year = Number(word);
            if (word.size() == 2)
                year += year < 70 ? 2000 : 1900;
        }
    }
    if (day < 1 || day > 31 || month == 0 || year < 1601 || hour < 0 || hour > 23 || minute > 59 || second > 60)
        return 0;
    const std::int64_t seconds = DaysFromCivil(year, unsigned(month), unsigned(day)) * 86400 + hour * 3600 +
                                 minute * 60 + second + kUnixEpochSeconds;
    return std::uint64_t(seconds) * kTicksPerSecond;
}

} // namespace larkspool::browsercache
