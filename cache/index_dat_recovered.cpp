// One pass over the blocks, in their order; every field is checked by the
// record parser before it is used.
#include "cache/index_dat_recovered.h"

#include "cache/index_dat_reach.h"
#include "cache/index_dat_store.h"

namespace larkspool {

using namespace indexdat;

std::vector<UrlRecord> FindRecoveredRecords(const IndexDatStore& store)
{
    const std::uint32_t capacity = store.Capacity();
    const ReachableBlocks reach(store, capacity);
    const auto bytes = store.Bytes();
    std::vector<UrlRecord> found;
    for (std::uint32_t block = 0; block < capacity;) {
        if (reach.Used(block)) {
            ++block;
            continue;
        }
        auto record = ParseAnyRecord(bytes, kBlocksStart + block * kBlockSize);
        // A stated length past the capacity or over a reached block belongs
        // to a record partly overwritten since: its fields cannot be trusted.
        bool whole = record && record->blocks <= capacity - block;
        for (std::uint32_t n = 1; whole && n < record->blocks; ++n)
            whole = !reach.Used(block + n);
        if (!whole) {
            ++block;
            continue;
        }
        block += record->blocks;
        found.push_back(std::move(*record));
    }
    return found;
}

} // namespace larkspool
