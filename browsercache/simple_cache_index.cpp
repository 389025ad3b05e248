// Reading last-use times out of the simple cache's index file.
#include "browsercache/simple_cache_index.h"

#include "browsercache/browser_time.h"
#include "browsercache/byte_reader.h"
#include "browsercache/chromium_pickle.h"
#include "browsercache/crc32.h"

namespace larkspool::browsercache {

namespace {

constexpr std::uint64_t kIndexMagic = 0x656e74657220796fULL;
constexpr std::size_t kHeaderSize = 8; // payload size, CRC-32
constexpr std::size_t kEntrySize = 24;

} // namespace

std::unordered_map<std::uint64_t, std::uint64_t> ReadSimpleIndexLastUse(std::string_view bytes)
{
    std::unordered_map<std::uint64_t, std::uint64_t> lastUse;
    PickleReader pickle(bytes, kHeaderSize);
    std::uint32_t crc = 0;
    if (!pickle.IsValid() || !ByteReader(bytes.substr(4)).Le32(crc) || crc != Crc32(pickle.Payload()))
        return lastUse;
    std::uint64_t magic = 0, count = 0, cacheSize = 0;
    std::uint32_t version = 0, reason = 0;
    if (!pickle.ReadU64(magic) || magic != kIndexMagic || !pickle.ReadU32(version) || version < 7 || version > 9 ||
        !pickle.ReadU64(count) || !pickle.ReadU64(cacheSize) || !pickle.ReadU32(reason) ||
        count > pickle.Payload().size() / kEntrySize)
        return lastUse;
    for (std::uint64_t n = 0; n < count; ++n) {
        std::uint64_t hash = 0, lastUsed = 0, size = 0;
        if (!pickle.ReadU64(hash) || !pickle.ReadU64(lastUsed) || !pickle.ReadU64(size))
            return {};
        lastUse[hash] = TicksFromChromiumTime(lastUsed);
    }
    return lastUse;
}

} // namespace larkspool::browsercache
