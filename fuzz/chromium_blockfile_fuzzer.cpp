// Feeds arbitrary bytes to the blockfile reader as a whole cache: index,
// data_0 ... data_3 and one external file, split as blockfile_fuzz_input.h says.
#include "browsercache/chromium_blockfile_cache.h"
#include "fuzz/blockfile_fuzz_input.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    const auto files = larkspool::fuzzing::SplitBlockfileInput({reinterpret_cast<const char*>(data), size});
    const BrowserCacheScan scan = ScanChromiumBlockfileFiles("/cache", [&](const std::string& name, std::string&) -> std::unique_ptr<ByteSource> {
        const auto found = files.find(name);
        if (found == files.end())
            return nullptr;
        return std::make_unique<MemoryBytes>(found->second);
    });
    for (const BrowserCacheRecord& record : scan.records) {
        if (record.error.empty() && record.body.length > 0) {
            const auto file = files.find(record.body.file.filename().string());
            if (file == files.end() || record.body.offset > file->second.size() ||
                record.body.length > file->second.size() - record.body.offset)
                __builtin_trap(); // a body the reader vouched for must lie inside its file
        }
    }
    return 0;
}
