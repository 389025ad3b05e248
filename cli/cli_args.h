// The arguments of one larkspool-cli command, as bytes: options by name,
// then the positional arguments in order.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace larkspool::cli {

// Bad usage: main prints the message and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CliArgs {
public:
    // valueOptions take a value ("--to DIR"); flagOptions stand alone
    // ("--yes"). Anything else starting with "--" is a usage error.
    CliArgs(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
            const std::vector<std::string>& flagOptions);

    bool Has(const std::string& option) const;
    std::optional<std::string> Value(const std::string& option) const;
    // Every value of an option given more than once, in order.
    std::vector<std::string> Values(const std::string& option) const;
    const std::vector<std::string>& Positional() const { return m_positional; }

    // The option's value as a byte count: decimal digits, optionally followed
    // by K, M, G or T (powers of 1024); fallback when the option is absent.
    // Throws UsageError for anything else, 0 included.
    std::uint64_t ByteCount(const std::string& option, std::uint64_t fallback) const;
    // The same, 0 allowed; nullopt when the option is absent.
    std::optional<std::uint64_t> Bytes(const std::string& option) const;

    // Throws UsageError unless there are between min and max positional arguments.
    void RequirePositional(std::size_t min, std::size_t max) const;

private:
    std::multimap<std::string, std::string> m_options;
    std::vector<std::string> m_positional;
};

} // namespace larkspool::cli
