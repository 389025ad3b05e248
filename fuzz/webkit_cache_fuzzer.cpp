// Feeds arbitrary bytes to the WebKit cache reader as one record file, of
// any storage version, whose names it does not check.
#include "browsercache/webkit_cache.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    WebKitRecordPlace place;
    place.findBlob = [](const std::string& bodyHash, std::uint64_t length, BodyLocation& body) {
        if (bodyHash.size() != 40)
            __builtin_trap(); // twenty bytes of hash make forty hex digits
        body = {"blob", 0, length};
        return std::string();
    };
    BrowserCacheRecord record;
    record.body.file = "record";
    const std::string error = ReadWebKitRecord(MemoryBytes({reinterpret_cast<const char*>(data), size}), place, record);
    if (error.empty() && record.body.file == "record" &&
        (record.body.offset > size || record.body.length > size - record.body.offset))
        __builtin_trap(); // an inline body the reader vouched for must lie inside the file
    return 0;
}
