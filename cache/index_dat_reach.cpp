// Building the reached blocks in two passes: the starts and stated lengths of
// every table and record, then each length cut at the next start, so that one
// inflated length can never claim a neighbour. Work is bounded by the slots
// the chain holds and the capacity, never by how often a record is named.
#include "cache/index_dat_reach.h"

#include "cache/index_dat_store.h"

#include <algorithm>

namespace larkspool {

using namespace indexdat;

ReachableBlocks::ReachableBlocks(const IndexDatStore& store, std::uint32_t capacity)
    : m_used(capacity, false)
{
    std::vector<std::uint32_t> extent(capacity, 0); // stated length, per starting block
    const auto bytes = store.Bytes();
    const auto blockOf = [&](std::uint32_t offset) -> std::int64_t {
        if (offset < kBlocksStart || offset % kBlockSize != 0)
            return -1;
        const std::uint32_t block = (offset - kBlocksStart) / kBlockSize;
        return block < capacity ? std::int64_t(block) : -1;
    };
    const auto statedBlocks = [&](std::uint32_t offset) {
        const std::uint32_t blocks = std::uint64_t(offset) + 8 <= bytes.size() ? Load32(bytes.data() + offset + 4) : 1;
        return std::max<std::uint32_t>(blocks, 1);
    };

    const auto tables = store.HashTables();
    m_complete = store.ChainComplete(tables);
    for (const HashTableRef& table : tables) {
        const std::int64_t start = blockOf(table.offset);
        if (start < 0)
            continue;
        extent[start] = std::max(extent[start], statedBlocks(table.offset));
        for (std::uint32_t i = 0; i < table.slots; ++i) {
            const auto slot = store.SlotAt(table, i);
            const std::int64_t record = slot ? blockOf(slot->record) : -1;
            if (record < 0)
                continue;
            extent[record] = std::max(extent[record], statedBlocks(slot->record));
        }
    }

    std::uint32_t nextStart = capacity;
    for (std::uint32_t b = capacity; b-- > 0;) {
        if (extent[b] == 0)
            continue;
        extent[b] = std::min(extent[b], nextStart - b);
        std::fill(m_used.begin() + b, m_used.begin() + b + extent[b], true);
        nextStart = b;
    }
}

} // namespace larkspool
