// Firefox's first disk cache (Firefox 3 to 31; layout in
// firefox_cache1_format.h): the map names each entry's metadata and body.
// Firefox writes the map only when it closes the cache, so a copy taken
// while it ran has a map that is marked dirty or cut short; the entries it
// lacks are then found by their metadata in the block files, and their
// bodies where Firefox puts them: a separate file named by the key's hash,
// or the blocks just before the metadata in the same block file; metadata
// too large for a block file is found in its own separate file.
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace larkspool::browsercache {

struct FirefoxCache1Files {
    const ByteSource* map = nullptr; // null: missing
    std::array<const ByteSource*, 3> blockFiles{}; // _CACHE_001_ .. _CACHE_003_, null: missing
    // Why the map (0) or a block file (1..3) that is null could not be
    // opened ("is a symbolic link"); empty: it is missing.
    std::array<std::string, 4> openErrors{};
    // Opens a separate file ("3/3D/ED165d01") below the cache folder; null when it cannot be.
    std::function<std::unique_ptr<ByteSource>(const std::string& name)> openSeparate;
    // The separate files below the cache folder, in name order: what is
    // searched for metadata when the map is lost or short.
    std::function<std::vector<std::string>()> listSeparate;
};

// The entries of the cache in folder, in map order, then those found in the
// block files; a damaged entry (or a damaged map) is a record with error
// set, naming the file and why. The bodies lie in files below folder.
std::vector<BrowserCacheRecord> ReadFirefoxCache1(const FirefoxCache1Files& files,
                                                  const std::filesystem::path& folder);

BrowserCacheScan ScanFirefoxCache1(const std::filesystem::path& folder);

} // namespace larkspool::browsercache
