// The blocks of index.dat that the HASH chain reaches: every table of the
// chain and every record a live slot names. The allocation bitmap is only a
// summary of this, and in a damaged or interrupted file it may be wrong both
// ways; a writer trusts this over the bitmap.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace larkspool {

class IndexDatStore;

class ReachableBlocks {
public:
    ReachableBlocks() = default;
    // Blocks at and past capacity are never reached.
    ReachableBlocks(const IndexDatStore& store, std::uint32_t capacity);

    // The chain ended where it should, not at a damaged, lost or repeated
    // table: only then can a block it does not reach be taken for free.
    bool ChainComplete() const { return m_complete; }
    bool Used(std::uint32_t block) const { return block < m_used.size() && m_used[block]; }

private:
    std::vector<bool> m_used;
    bool m_complete = false;
};

} // namespace larkspool
