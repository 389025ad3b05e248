// Option parsing for larkspool-cli. Arguments stay bytes: URLs and paths may
// be Shift-JIS and must reach the core unchanged.
#include "cli/cli_args.h"

#include <algorithm>
#include <charconv>

namespace larkspool::cli {

CliArgs::CliArgs(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
                 const std::vector<std::string>& flagOptions)
{
    const auto known = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            m_positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (known(valueOptions, arg)) {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            m_options.emplace(arg, args[++i]);
        } else if (known(flagOptions, arg)) {
            m_options.emplace(arg, std::string());
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
}

bool CliArgs::Has(const std::string& option) const { return m_options.count(option) != 0; }

std::optional<std::string> CliArgs::Value(const std::string& option) const
{
    const auto values = Values(option);
    if (values.empty())
        return std::nullopt;
    return values.back();
}

std::vector<std::string> CliArgs::Values(const std::string& option) const
{
    std::vector<std::string> values;
    const auto [first, last] = m_options.equal_range(option);
    for (auto it = first; it != last; ++it)
        values.push_back(it->second);
    return values;
}

std::optional<std::uint64_t> CliArgs::Bytes(const std::string& option) const
{
    const std::optional<std::string> text = Value(option);
    if (!text)
        return std::nullopt;
    std::uint64_t count = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), count);
    const std::string suffix(end, text->data() + text->size());
    const std::size_t shift = suffix == "" ? 0 : suffix == "K" ? 10 : suffix == "M" ? 20 : suffix == "G" ? 30 : suffix == "T" ? 40 : 64;
    if (error != std::errc() || end == text->data() || shift == 64 || count > (UINT64_MAX >> shift))
        throw UsageError(option + " takes a byte count such as 4294967296 or 4G, not " + *text);
    return count << shift;
}

std::uint64_t CliArgs::ByteCount(const std::string& option, std::uint64_t fallback) const
{
    const std::optional<std::uint64_t> count = Bytes(option);
    if (count == 0u)
        throw UsageError(option + " takes a byte count above 0 such as 4294967296 or 4G, not " + *Value(option));
    return count.value_or(fallback);
}

void CliArgs::RequirePositional(std::size_t min, std::size_t max) const
{
    if (m_positional.size() < min)
        throw UsageError("missing argument");
    if (m_positional.size() > max)
        throw UsageError("unexpected argument " + m_positional[max]);
}

} // namespace larkspool::cli
