// Tail splitting, the catalogue order and the numbering of equal paths.
// Comparisons fold ASCII letters only, byte by byte, so a Shift-JIS trail
// byte that has the value of a letter folds like one.
#include "catalogue/cache_entry.h"

#include "base/byte_text.h"

#include <algorithm>

namespace larkspool {
namespace {

unsigned char Upper(char c)
{
    return static_cast<unsigned char>(UpperAscii(c));
}

} // namespace

std::size_t SplitUrlTail(const std::string& text, std::string& name, std::string& extension)
{
    name.clear();
    extension.clear();
    const std::size_t slash = text.rfind('/');
    if (slash == std::string::npos)
        return text.size();
    const std::size_t tail = slash + 1;
    const std::size_t dot = text.rfind('.');
    if (dot == std::string::npos || dot < tail) {
        name = text.substr(tail);
    } else {
        name = text.substr(tail, dot - tail);
        extension = text.substr(dot);
    }
    return tail;
}

int CompareFolded(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = Upper(a[i]);
        const unsigned char y = Upper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualFolded(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

std::string FoldedKey(const std::string& a)
{
    std::string key(a.size(), '\0');
    std::transform(a.begin(), a.end(), key.begin(), [](char c) { return static_cast<char>(Upper(c)); });
    return key;
}

bool ContainsFolded(std::string_view text, std::string_view needle)
{
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                       [](char x, char y) { return Upper(x) == Upper(y); }) != text.end();
}

int CompareEntries(const TCacheEntry& a, const TCacheEntry& b)
{
    if (const int byCache = a.CacheName.compare(b.CacheName))
        return byCache;
    if (const int byPath = CompareFolded(a.SitePath, b.SitePath))
        return byPath;
    if (a.Modified != b.Modified)
        return a.Modified < b.Modified ? -1 : 1;
    return 0;
}

void SortCacheList(std::vector<TCacheEntry*>& list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const TCacheEntry* a, const TCacheEntry* b) { return CompareEntries(*a, *b) < 0; });
}

std::vector<TCacheEntry*> NumberDuplicates(std::vector<TCacheEntry*>& list)
{
    std::vector<TCacheEntry*> refused;
    std::vector<TCacheEntry*> kept;
    kept.reserve(list.size());
    const TCacheEntry* runFirst = nullptr;
    int n = 1;
    for (TCacheEntry* entry : list) {
        if (!runFirst || entry->CacheName != runFirst->CacheName || !EqualFolded(entry->SitePath, runFirst->SitePath)) {
            runFirst = entry;
            n = 1;
            kept.push_back(entry);
            continue;
        }
        std::string name;
        std::string extension;
        const std::size_t tail = SplitUrlTail(entry->SitePath, name, extension);
        const std::string newTail = name + "(" + std::to_string(n) + ")" + extension;
        if (tail + newTail.size() > kMaxSitePath) {
            refused.push_back(entry);
            continue;
        }
        entry->SitePath.replace(tail, std::string::npos, newTail);
        entry->Name = newTail;
        ++n;
        kept.push_back(entry);
    }
    list.swap(kept);
    return refused;
}

} // namespace larkspool
