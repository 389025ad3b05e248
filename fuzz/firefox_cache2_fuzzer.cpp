// Feeds arbitrary bytes to the Firefox cache2 reader as one entry file.
#include "browsercache/firefox_cache2.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    const BrowserCacheRecord record =
        ReadFirefoxEntry(MemoryBytes({reinterpret_cast<const char*>(data), size}), "0123456789ABCDEF0123456789ABCDEF01234567");
    if (record.error.empty() && (record.body.offset > size || record.body.length > size - record.body.offset))
        __builtin_trap(); // a body the reader vouched for must lie inside the file
    return 0;
}
