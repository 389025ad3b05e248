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
    const auto inside = [&files](const std::filesystem::path& name, std::uint64_t offset, std::uint64_t length) {
        const auto file = files.find(name.filename().string());
        return file != files.end() && offset <= file->second.size() && length <= file->second.size() - offset;
    };
    for (const BrowserCacheRecord& record : scan.records) {
        std::uint64_t end = 0;
        for (const BodyPiece& piece : record.body.pieces) {
            if (piece.bodyOffset < end || !inside(piece.file, piece.fileOffset, piece.length))
                __builtin_trap(); // placed pieces lie apart, in order, inside their files
            end = piece.bodyOffset + piece.length;
        }
        if (end > record.body.length)
            __builtin_trap();
        if (record.error.empty() && record.body.length > 0 && record.body.pieces.empty() &&
            !inside(record.body.file, record.body.offset, record.body.length))
            __builtin_trap(); // a body the reader vouched for must lie inside its file
    }
    return 0;
}
