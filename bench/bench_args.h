// What the benchmark programs share beside Google Benchmark: their own
// options, taken out of argv before it reads the rest, and the statistic
// they report.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool::bench {

// Every value of "--name=VALUE" in argv, in order; those arguments are
// removed and argc shrinks to match.
inline std::vector<std::string> TakeOption(int& argc, char** argv, std::string_view name)
{
    const std::string prefix = std::string(name) + "=";
    std::vector<std::string> values;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, prefix.size()) == prefix)
            values.emplace_back(arg.substr(prefix.size()));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return values;
}

// The fastest of repeated runs: on a shared machine the others measure the
// other builds as well.
inline double Minimum(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

} // namespace larkspool::bench
