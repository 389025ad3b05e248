// Decoding a sparse body's control data; what the bits mean for the body is
// the reader's to decide.
#include "browsercache/chromium_blockfile_sparse.h"

#include "browsercache/byte_reader.h"
#include "browsercache/chromium_blockfile_format.h"

#include <cinttypes>
#include <cstdio>

namespace larkspool::browsercache::blockfile {

std::optional<SparseHeader> ReadSparseHeader(std::string_view stream2)
{
    SparseHeader header;
    std::uint32_t magic = 0, lastBlock = 0, lastBlockLength = 0;
    ByteReader reader(stream2);
    if (stream2.size() < kSparseHeaderSize || !reader.Le64(header.signature) || !reader.Le32(magic) ||
        magic != kIndexMagic || !reader.Le32(header.parentKeyLength) || !reader.Le32(lastBlock) ||
        !reader.Le32(lastBlockLength))
        return std::nullopt;
    header.lastBlock = std::int32_t(lastBlock);
    header.lastBlockLength = std::int32_t(lastBlockLength);
    return header;
}

std::string ChildKey(const std::string& parentKey, std::uint64_t signature, std::uint64_t child)
{
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, ":%" PRIx64 ":%" PRIx64, signature, child);
    return "Range_" + parentKey + numbers;
}

std::vector<std::uint32_t> SetBits(std::string_view bitmap)
{
    std::vector<std::uint32_t> bits;
    // Little-endian words: bit n of the map is bit n % 8 of byte n / 8.
    for (std::size_t byte = 0; byte < bitmap.size(); ++byte)
        for (unsigned bit = 0; bit < 8; ++bit)
            if (static_cast<unsigned char>(bitmap[byte]) >> bit & 1)
                bits.push_back(std::uint32_t(byte * 8 + bit));
    return bits;
}

std::vector<ChildRun> ChildRuns(const SparseHeader& header, std::string_view blockMap)
{
    std::vector<ChildRun> runs;
    const auto add = [&runs](std::uint32_t begin, std::uint32_t end) {
        if (!runs.empty() && runs.back().end == begin)
            runs.back().end = end;
        else
            runs.push_back({begin, end});
    };
    const std::vector<std::uint32_t> full = SetBits(blockMap.substr(0, kChildMapSize));
    // Chromium keeps the partly filled block only while its bit is clear,
    // and ignores a length outside a block.
    const bool partial = header.lastBlock >= 0 && std::uint32_t(header.lastBlock) < kChildMapSize * 8 &&
                         header.lastBlockLength > 0 && std::uint32_t(header.lastBlockLength) < kSparseBlockSize;
    bool partialPlaced = !partial;
    for (const std::uint32_t block : full) {
        if (!partialPlaced && std::uint32_t(header.lastBlock) <= block) {
            partialPlaced = true;
            if (std::uint32_t(header.lastBlock) < block)
                add(header.lastBlock * kSparseBlockSize, header.lastBlock * kSparseBlockSize + header.lastBlockLength);
        }
        add(block * kSparseBlockSize, (block + 1) * kSparseBlockSize);
    }
    if (!partialPlaced)
        add(header.lastBlock * kSparseBlockSize, header.lastBlock * kSparseBlockSize + header.lastBlockLength);
    return runs;
}

} // namespace larkspool::browsercache::blockfile
