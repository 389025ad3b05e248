// How a cache entry's file is named from its URL and extension.
#include "cache/cache_file_name.h"

#include "base/byte_text.h"

#include <algorithm>
#include <random>

namespace larkspool {
namespace {

std::string Sanitized(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        switch (c) {
        case '<': case '>': case ':': case '"': case '|': case '?': case '*': case '/': case '\\':
            c = '_';
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                c = '_';
            break;
        }
    }
    return out;
}

} // namespace

std::string CacheFileBaseName(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return {};
    std::string_view path = url.substr(scheme + 3);
    const std::size_t slash = path.find('/');
    if (slash == std::string_view::npos)
        return {};
    path = path.substr(slash);
    path = path.substr(0, path.find_first_of("?#"));
    const std::size_t last = path.find_last_of("/\\");
    std::string_view name = path.substr(last + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    return Sanitized(name);
}

std::string CacheFileExtension(std::string_view extension)
{
    std::string out = Sanitized(extension);
    if (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.back() = '_';
    return out;
}

std::string CacheFileName(std::string_view base, unsigned n, std::string_view extension)
{
    std::string name(base);
    name += '[' + std::to_string(n) + ']';
    if (!extension.empty()) {
        name += '.';
        name += extension;
    }
    return name;
}

std::string RandomCacheName()
{
    static constexpr char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, 35);
    std::string name(8, '0');
    for (char& c : name)
        c = kChars[pick(random)];
    return name;
}

bool IsIndexFileName(std::string_view name)
{
    name = name.substr(0, name.find_last_not_of(". ") + 1);
    constexpr std::string_view kIndex = "index.dat";
    return EqualNoCase(name, kIndex);
}

} // namespace larkspool
