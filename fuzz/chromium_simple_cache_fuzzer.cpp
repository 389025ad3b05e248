// Feeds arbitrary bytes to the simple cache reader, as one entry file, as
// one sparse file and as the index.
#include "browsercache/chromium_simple_cache.h"
#include "browsercache/http_response_info.h"
#include "browsercache/simple_cache_index.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const BrowserCacheRecord record = ReadSimpleCacheEntry(MemoryBytes(bytes), "0123456789abcdef_0", ReadResponseInfo);
    if (record.error.empty() && (record.body.offset > size || record.body.length > size - record.body.offset))
        __builtin_trap(); // a body the reader vouched for must lie inside the file
    // The same bytes as the "_s" file of an entry whose key the seed's sparse file names.
    BrowserCacheRecord sparse;
    sparse.key = "k";
    sparse.responseHead = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-9/20\r\n";
    if (ReadSimpleSparseRanges(MemoryBytes(bytes), "0123456789abcdef_s", sparse).empty()) {
        std::uint64_t end = 0;
        for (const BodyPiece& piece : sparse.body.pieces) {
            if (piece.bodyOffset < end || piece.fileOffset > size || piece.length > size - piece.fileOffset)
                __builtin_trap(); // placed pieces lie apart, in order, inside the file
            end = piece.bodyOffset + piece.length;
        }
        if (end > sparse.body.length)
            __builtin_trap();
    }
    (void)ReadSimpleIndexLastUse(bytes);
    return 0;
}
