// Feeds arbitrary bytes to the reader of Firefox's first cache as its map,
// block files and one separate file, split as blockfile_fuzz_input.h says.
#include "browsercache/firefox_cache1.h"
#include "fuzz/blockfile_fuzz_input.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    using larkspool::fuzzing::kFirefoxCache1Names;
    const auto files =
        larkspool::fuzzing::SplitBlockfileInput({reinterpret_cast<const char*>(data), size}, kFirefoxCache1Names);
    auto bytesOf = [&](const char* name) -> std::unique_ptr<ByteSource> {
        const auto found = files.find(name);
        return found == files.end() ? nullptr : std::make_unique<MemoryBytes>(found->second);
    };
    std::array<std::unique_ptr<ByteSource>, 4> held;
    FirefoxCache1Files cache;
    for (std::size_t i = 0; i < held.size(); ++i)
        held[i] = bytesOf(kFirefoxCache1Names[i]);
    cache.map = held[0].get();
    for (std::size_t i = 0; i < 3; ++i)
        cache.blockFiles[i] = held[i + 1].get();
    cache.openSeparate = [&](const std::string&) { return bytesOf("separate"); };
    for (const BrowserCacheRecord& record : ReadFirefoxCache1(cache, "/cache")) {
        if (!record.error.empty() || record.body.length == 0)
            continue;
        const std::string name = record.body.file.filename().string();
        const auto file = files.find(name.starts_with("_CACHE_") ? name : "separate");
        if (file == files.end() || record.body.offset > file->second.size() ||
            record.body.length > file->second.size() - record.body.offset)
            __builtin_trap(); // a body the reader vouched for must lie inside its file
    }
    return 0;
}
