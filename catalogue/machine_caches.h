// The caches kept in the usual places of this machine, for `caches` and the
// window's folder choice.
#pragma once

#include "browsercache/cache_folder.h"

#include <optional>
#include <string>
#include <vector>

namespace larkspool {

// Chromium-family and Firefox profiles and the WebKit caches of WebKitGTK
// programs under ~/.cache and ~/.config, those of a macOS home (Safari's
// and other programs') under ~/Library/Caches, the
// Content.IE5 folders of Wine prefixes (~/.wine, $WINEPREFIX,
// ~/.local/share/wineprefixes/*), $LARKSPOOL_CACHE and the default cache
// folder, each cache once, in that order.
std::vector<browsercache::CacheFolder> FindMachineCaches();

// A folder the window offers to open and what opening it reads: the cache
// itself, or, when the folder holds several, each of them, seen as one.
struct CacheChoice {
    browsercache::CacheFolder cache; // for several, the folder holding them (its format unused)
    std::vector<browsercache::CacheFolder> members; // two or more when it holds several caches
};

// What the window offers to open: FindMachineCaches's caches, then the
// default cache folder (also while it does not exist yet) and the cache in
// use where they are not among them, each found as the open finds it. inUse
// is the folder the cache shown was opened from ("" the default).
std::vector<CacheChoice> CachesToChooseFrom(const std::string& inUse);
// The format names `caches` prints: the cache's, or for several each of
// their formats once, in their order, ", " between them.
std::string ChoiceFormats(const CacheChoice& choice);
// Whether the choice is the cache opened from folder ("" the default): the
// folder itself, or the only cache below it.
bool IsCacheOpenedFrom(const CacheChoice& choice, const std::string& folder);

// The entries the cache would list; nullopt when it cannot be read.
std::optional<std::size_t> CountCacheEntries(const browsercache::CacheFolder& cache);
// Of every cache of the choice.
std::optional<std::size_t> CountCacheEntries(const CacheChoice& choice);

} // namespace larkspool
