// The control data of a blockfile cache's sparse bodies (see
// chromium_blockfile_format.h): the header and bitmaps in stream 2 of a
// parent and of its children.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool::browsercache::blockfile {

struct SparseHeader {
    std::uint64_t signature = 0;
    std::uint32_t parentKeyLength = 0;
    std::int32_t lastBlock = -1;
    std::int32_t lastBlockLength = 0;
};

// The header at the start of stream 2; nothing when it is too short or its
// magic is not the index's.
std::optional<SparseHeader> ReadSparseHeader(std::string_view stream2);

// The key Chromium gives child number child of the parent keyed parentKey.
std::string ChildKey(const std::string& parentKey, std::uint64_t signature, std::uint64_t child);

// The numbers of the bits set in a bitmap of 32-bit little-endian words.
std::vector<std::uint32_t> SetBits(std::string_view bitmap);

// A run of a child's bytes it holds: [begin, end) of its 1 MiB.
struct ChildRun {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// The runs a child's stream 2 (header and block bitmap) says it holds: its
// full 1 KiB blocks, and the last block's first bytes where that block was
// filled only so far; in order, adjacent ones joined.
std::vector<ChildRun> ChildRuns(const SparseHeader& header, std::string_view blockMap);

} // namespace larkspool::browsercache::blockfile
