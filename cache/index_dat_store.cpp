// Reading and changing index.dat in place so that a writer killed at any
// instruction leaves a file that opens with every published entry intact.
//
// Terms: a record is published when a HASH slot holds its offset and a live
// key (anything but 1 "deleted" or 3 "free"); it is allocated when its blocks'
// bits are set in the bitmap. Stores that publish or unpublish are single
// aligned 32-bit stores after a release fence, so they happen whole and after
// everything written before them. Other processes see the shared mapping, and
// the file's lock keeps them out while a change is under way.
//
// Invariants, in the order a change keeps them:
//  1. Every published slot points at an allocated, fully written record: blocks
//     are marked, then the record is written, then the slot's offset, then its
//     key (Publish).
//  2. A record is unpublished before its blocks are freed (Remove). A kill in
//     between leaves allocated blocks nobody refers to, never a slot pointing
//     at free space.
//  3. A new HASH table is fully written, every slot free, before the previous
//     table's next pointer (or the header) links it (AppendHashTable).
//  4. The file is lengthened before the header's capacity and size say so
//     (Grow); a longer file than the header says is adopted by Mend. The file
//     is never made shorter: what lies past the header's end is not ours.
//  5. The header counters (blocks in use, sub-folder file counts, usage) may
//     lag after a kill; Mend recounts blocks in use, the rest is advisory.
//  6. A new file gets its signature last (Initialize): until then it reads as
//     empty and the next writer starts it again.
//  7. The bitmap follows what the HASH chain reaches (Mend): a reached block
//     is never handed out, whatever its bit says, and the record and table a
//     killed writer allocated but never linked are freed.
//  8. A file whose header leads to no HASH table while its blocks hold
//     records is damaged, never written (State): its first table would be
//     laid over the records and tables nobody can reach any more.
#include "cache/index_dat_store.h"

#include "cache/cache_file_name.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

namespace larkspool {

using namespace indexdat;

namespace {

constexpr std::uint32_t kInitialFolders = 4;

bool IsSafeFolderName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

} // namespace

namespace {

bool AllZero(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// An unfinished start (6) wrote the header and the first HASH table and
// nothing past them; a blank signature in front of more is damage.
constexpr std::size_t kStartedBytes = kBlocksStart + kHashTableBlocks * kBlockSize;

bool BlankSignature(std::span<const std::uint8_t> bytes)
{
    return AllZero(bytes.first(std::min(bytes.size(), kSignatureSize)));
}

} // namespace

IndexDatState IndexDatStore::State() const
{
    const auto bytes = Bytes();
    if (BlankSignature(bytes))
        return bytes.size() <= kStartedBytes || AllZero(bytes.subspan(kStartedBytes)) ? IndexDatState::Empty
                                                                                       : IndexDatState::Foreign;
    if (bytes.size() < kSignatureSize)
        return IndexDatState::Foreign;
    const std::string_view signature(reinterpret_cast<const char*>(bytes.data()), kSignatureSize);
    if (bytes.size() < kBlocksStart)
        return IndexDatState::Foreign;
    if (signature.substr(0, kMsieSignature.size() + 1) == std::string(kMsieSignature) + '\0' ||
        signature.substr(0, kWinePrefix.size()) == kWinePrefix)
        return RecordsOutOfReach() ? IndexDatState::Foreign : IndexDatState::Valid; // (8)
    return IndexDatState::Foreign;
}

bool IndexDatStore::RecordsOutOfReach() const
{
    if (HashTableAt(Read32(kHashTableOffset)))
        return false;
    const auto bytes = Bytes();
    for (std::uint64_t at = kBlocksStart; at + 4 <= bytes.size(); at += kBlockSize) {
        const std::uint32_t signature = Load32(bytes.data() + at);
        if (IsRecordSignature(signature))
            return true;
    }
    return false;
}

std::string IndexDatStore::ForeignReason() const
{
    const auto bytes = Bytes();
    const std::string start(reinterpret_cast<const char*>(bytes.data()), std::min(bytes.size(), kSignatureSize));
    std::string why;
    if (BlankSignature(bytes))
        why = "its signature is blank but it holds records";
    else if (!start.starts_with(kMsiePrefix) && !start.starts_with(kWinePrefix))
        why = "no cache file signature at its start";
    else if (bytes.size() < kBlocksStart)
        why = "cut short at " + std::to_string(bytes.size()) + " bytes, inside its header";
    else if (RecordsOutOfReach())
        return "damaged index.dat (its header's HASH table offset " + std::to_string(Read32(kHashTableOffset)) +
               " leads to no HASH table, yet it holds records)";
    else
        why = "unsupported version \"" + start.substr(0, start.find('\0')) + "\"";
    return "not an index.dat file (" + why + ")";
}

std::uint32_t IndexDatStore::Read32(std::uint32_t offset) const
{
    const auto bytes = Bytes();
    if (std::uint64_t(offset) + 4 > bytes.size())
        return 0;
    return Load32(bytes.data() + offset);
}

void IndexDatStore::Write32(std::uint32_t offset, std::uint32_t value)
{
    auto bytes = m_file.Bytes();
    if (std::uint64_t(offset) + 4 <= bytes.size())
        Store32(bytes.data() + offset, value);
}

void IndexDatStore::Publish32(std::uint32_t offset, std::uint32_t value)
{
    static_assert(std::endian::native == std::endian::little, "slots are stored in host order");
    auto bytes = m_file.Bytes();
    if (offset % 4 != 0 || std::uint64_t(offset) + 4 > bytes.size())
        return;
    std::atomic_thread_fence(std::memory_order_release);
    std::atomic_ref<std::uint32_t>(*reinterpret_cast<std::uint32_t*>(bytes.data() + offset))
        .store(value, std::memory_order_release);
}

std::uint32_t IndexDatStore::Capacity() const
{
    const std::uint64_t inFile = Bytes().size() < kBlocksStart ? 0 : (Bytes().size() - kBlocksStart) / kBlockSize;
    std::uint64_t capacity = Read32(kCapacityOffset);
    if (capacity > kMaxBlocks)
        capacity = kMaxBlocks;
    return std::uint32_t(capacity < inFile ? capacity : inFile);
}

std::optional<HashTableRef> IndexDatStore::HashTableAt(std::uint32_t offset) const
{
    const auto bytes = Bytes();
    if (offset < kBlocksStart || offset % kBlockSize != 0 || std::uint64_t(offset) + kHashSlotsOffset > bytes.size())
        return std::nullopt;
    const std::uint8_t* p = bytes.data() + offset;
    const std::uint64_t length = std::uint64_t(Load32(p + 4)) * kBlockSize;
    if (Load32(p) != kHashSignature || length < kHashSlotsOffset || offset + length > bytes.size())
        return std::nullopt;
    return HashTableRef{offset, std::uint32_t((length - kHashSlotsOffset) / kHashSlotSize)};
}

std::vector<HashTableRef> IndexDatStore::HashTables() const
{
    std::vector<HashTableRef> tables;
    // Offsets met so far, sorted: a chain that loops back stops there. Kept
    // sorted because a full file has over a hundred tables, and every lookup
    // walks the chain.
    std::vector<std::uint32_t> seen;
    std::uint32_t offset = Read32(kHashTableOffset);
    // A chain can hold no more tables than the file has room for.
    const std::size_t limit = Bytes().size() / (kHashSlotsOffset + kHashSlotSize) + 1;
    while (offset != 0 && tables.size() < limit) {
        const auto table = HashTableAt(offset);
        if (!table)
            break;
        const auto at = std::lower_bound(seen.begin(), seen.end(), offset);
        if (at != seen.end() && *at == offset)
            break;
        seen.insert(at, offset);
        tables.push_back(*table);
        offset = Read32(offset + kHashNextOffset);
    }
    return tables;
}

const std::vector<HashTableRef>& IndexDatStore::Chain() const
{
    const std::vector<HashTableRef>& chain = m_memory.chain;
    const bool same = m_memory.chainTaking == m_file.Takings() &&
                      Read32(kHashTableOffset) == (chain.empty() ? 0 : chain.front().offset) &&
                      (chain.empty() || (HashTableAt(chain.back().offset) &&
                                         Read32(chain.back().offset + kHashNextOffset) == 0));
    if (!same) {
        m_memory.chain = HashTables();
        m_memory.chainTaking = m_file.Takings();
    }
    return m_memory.chain;
}

bool IndexDatStore::ChainComplete(const std::vector<HashTableRef>& tables) const
{
    const std::uint32_t lastLink = tables.empty() ? kHashTableOffset : tables.back().offset + kHashNextOffset;
    return std::uint64_t(lastLink) + 4 <= Bytes().size() && Read32(lastLink) == 0;
}

std::optional<HashSlot> IndexDatStore::SlotAt(const HashTableRef& table, std::uint32_t index) const
{
    if (index >= table.slots)
        return std::nullopt;
    const std::uint32_t at = table.offset + kHashSlotsOffset + index * kHashSlotSize;
    const std::uint32_t key = Read32(at);
    if (SlotIsEmpty(key))
        return std::nullopt;
    return HashSlot{at, key, Read32(at + 4)};
}

void IndexDatStore::VisitBucket(std::uint32_t key, const std::function<bool(const HashSlot&)>& visit,
                                std::uint32_t* firstEmpty) const
{
    if (firstEmpty)
        *firstEmpty = 0;
    const std::uint32_t bucket = (key % kHashBuckets) * kHashBucketSlots;
    const auto bytes = Bytes();
    // Every table's bucket is checked against the file once, then read
    // straight: each look-up passes it in every table of the chain.
    for (const HashTableRef& table : Chain()) {
        if (bucket >= table.slots)
            continue;
        const std::uint32_t count = std::min(kHashBucketSlots, table.slots - bucket);
        const std::uint32_t first = table.offset + kHashSlotsOffset + bucket * kHashSlotSize;
        if (std::uint64_t(first) + std::uint64_t(count) * kHashSlotSize > bytes.size())
            continue;
        const std::uint8_t* slot = bytes.data() + first;
        for (std::uint32_t i = 0; i < count; ++i, slot += kHashSlotSize) {
            const std::uint32_t slotKey = Load32(slot);
            const std::uint32_t at = first + i * kHashSlotSize;
            if (SlotIsEmpty(slotKey)) {
                if (firstEmpty && *firstEmpty == 0)
                    *firstEmpty = at;
            } else if (KeyBits(slotKey) == KeyBits(key) && !visit(HashSlot{at, slotKey, Load32(slot + 4)})) {
                return;
            }
        }
    }
}

void IndexDatStore::VisitMatches(std::string_view url, const std::function<bool(const HashSlot&)>& visit,
                                 std::uint32_t* firstEmpty) const
{
    VisitBucket(
        KeyOf(url), [&](const HashSlot& slot) { return RecordUrl(Bytes(), slot.record) != url || visit(slot); },
        firstEmpty);
}

std::uint32_t IndexDatStore::KeyOf(std::string_view url) const
{
    if (!m_memory.keyUrl || url != *m_memory.keyUrl) {
        m_memory.keyUrl = url;
        m_memory.key = HashKey(url);
    }
    return m_memory.key;
}

std::optional<HashSlot> IndexDatStore::Find(std::string_view url) const
{
    std::optional<HashSlot> found;
    VisitMatches(url, [&](const HashSlot& slot) {
        found = slot;
        return false;
    });
    return found;
}

std::vector<HashSlot> IndexDatStore::FindAll(std::string_view url, std::uint32_t* freeSlot) const
{
    std::vector<HashSlot> found;
    VisitMatches(
        url,
        [&](const HashSlot& slot) {
            found.push_back(slot);
            return true;
        },
        freeSlot);
    return found;
}

std::optional<HashSlot> IndexDatStore::FindRedirect(std::string_view url) const
{
    std::optional<HashSlot> found;
    const auto visit = [&](const HashSlot& slot) {
        if (const auto record = ParseRedirectRecord(Bytes(), slot.record); record && record->url == url)
            found = slot;
        return !found;
    };
    VisitBucket(KeyOf(url), visit);
    // WinINet files most redirects under their URL's key, not all: a real
    // cache holds one in another bucket. A miss looks at every slot.
    for (const HashTableRef& table : Chain()) {
        for (std::uint32_t i = 0; !found && i < table.slots; ++i) {
            if (const auto slot = SlotAt(table, i))
                visit(*slot);
        }
    }
    return found;
}

std::uint32_t IndexDatStore::FolderCount() const
{
    const std::uint32_t count = Read32(kFolderCountOffset);
    return count > kMaxFolders ? kMaxFolders : count;
}

std::string IndexDatStore::FolderName(std::uint32_t index) const
{
    if (index >= FolderCount())
        return {};
    const auto* p = reinterpret_cast<const char*>(Bytes().data()) + kFolderTableOffset + index * kFolderEntrySize + 4;
    std::string name(p, kFolderNameSize);
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    return IsSafeFolderName(name) ? name : std::string();
}

DWORD IndexDatStore::Prepare(const std::filesystem::path& folder, const std::vector<std::uint8_t>& leftHeader)
{
    if (!m_file.Writable())
        return ERROR_ACCESS_DENIED;
    const auto header = HeaderInUse();
    // Most changes follow this process's own last one: the header is then as
    // it left it, kept already, and needs no copy of its own.
    const bool asLeft = std::equal(header.begin(), header.end(), leftHeader.begin(), leftHeader.end());
    if (!asLeft)
        m_undo.assign(header.begin(), header.end());
    m_undoFrom = asLeft ? &leftHeader : &m_undo;
    switch (State()) {
    case IndexDatState::Empty: return Initialize(folder);
    case IndexDatState::Valid: return Mend(asLeft);
    case IndexDatState::Foreign: break;
    }
    return ERROR_FILE_CORRUPT;
}

void IndexDatStore::CopyHeader(std::vector<std::uint8_t>& header) const
{
    const auto inUse = HeaderInUse();
    header.assign(inUse.begin(), inUse.end());
}

std::span<const std::uint8_t> IndexDatStore::HeaderInUse() const
{
    const auto bytes = Bytes();
    const std::uint32_t capacity = std::min(Read32(kCapacityOffset), kMaxBlocks);
    return bytes.first(std::min<std::size_t>(bytes.size(), kBitmapOffset + (capacity + 7) / 8));
}

void IndexDatStore::Undo()
{
    auto bytes = m_file.Bytes();
    const std::vector<std::uint8_t>& undo = *m_undoFrom;
    std::copy(undo.begin(), undo.begin() + std::ptrdiff_t(std::min(undo.size(), bytes.size())), bytes.begin());
    ForgetChain();
}

void IndexDatStore::KeepWholeHeader()
{
    const auto bytes = Bytes();
    const std::size_t whole = std::min<std::size_t>(bytes.size(), kBlocksStart);
    if (m_undoFrom->size() >= whole)
        return;
    if (m_undoFrom != &m_undo) {
        m_undo = *m_undoFrom;
        m_undoFrom = &m_undo;
    }
    m_undo.insert(m_undo.end(), bytes.begin() + std::ptrdiff_t(m_undo.size()), bytes.begin() + std::ptrdiff_t(whole));
}

DWORD IndexDatStore::Initialize(const std::filesystem::path& folder)
{
    KeepWholeHeader();
    ForgetChain();
    // Start from zeros whatever an interrupted start left behind (6); pages
    // that are zeros already are not touched, a sparse file stays sparse.
    auto started = m_file.Bytes().first(std::min(Bytes().size(), kStartedBytes));
    if (!AllZero(started))
        std::fill(started.begin(), started.end(), 0);
    m_memory.allocHint = 0;
    if (DWORD error = m_file.Extend(FileSizeFor(kNewFileBlocks)); error != ERROR_SUCCESS)
        return error;
    auto bytes = m_file.Bytes();
    const auto capacity = std::uint32_t(std::min<std::uint64_t>((bytes.size() - kBlocksStart) / kBlockSize, kMaxBlocks));
    Store32(bytes.data() + kFileSizeOffset, std::uint32_t(FileSizeFor(capacity)));
    Store32(bytes.data() + kCapacityOffset, capacity);
    DWORD error = ERROR_SUCCESS;
    Store64(bytes.data() + kCacheLimitOffset, kDefaultCacheLimit);
    for (std::uint32_t i = 0; i < kInitialFolders; ++i) {
        std::uint32_t index = 0;
        if ((error = AddFolder(folder, index)) != ERROR_SUCCESS)
            return error;
    }
    std::uint32_t table = 0;
    if ((error = AppendHashTable(table)) != ERROR_SUCCESS)
        return error;
    bytes = m_file.Bytes();
    std::copy(kMsieSignature.begin(), kMsieSignature.end(), bytes.begin());
    m_memory.allocHint = 0;
    return ERROR_SUCCESS;
}

DWORD IndexDatStore::Mend(bool bitmapAsLeft)
{
    // A header as this process left it has the chain as remembered too.
    if (!bitmapAsLeft)
        ForgetChain();
    const auto length = Bytes().size();
    std::uint32_t capacity = Read32(kCapacityOffset);
    if (capacity > kMaxBlocks || FileSizeFor(capacity) > length)
        return ERROR_FILE_CORRUPT;
    // An interrupted Grow (4) left a longer file, or the capacity field is
    // damaged: the whole blocks in the file are adopted, and stray bytes past
    // them stay as they are.
    const auto inFile = std::uint32_t(std::min<std::uint64_t>((length - kBlocksStart) / kBlockSize, kMaxBlocks));
    if (inFile > capacity) {
        KeepWholeHeader();
        capacity = inFile;
        Write32(kCapacityOffset, capacity);
    }
    if (Read32(kFileSizeOffset) != FileSizeFor(capacity))
        Write32(kFileSizeOffset, std::uint32_t(FileSizeFor(capacity)));
    // Walking the whole chain on every change would make a long run of
    // writes quadratic: it is done when anyone else has been at the header.
    if (!bitmapAsLeft)
        MendBitmap(capacity);
    return ERROR_SUCCESS;
}

void IndexDatStore::MendBitmap(std::uint32_t capacity)
{
    KeepWholeHeader();
    const ReachableBlocks reach(*this, capacity);
    std::uint8_t* bitmap = m_file.Bytes().data() + kBitmapOffset;
    std::vector<std::uint8_t> bits(bitmap, bitmap + kMaxBlocks / 8);
    const auto isSet = [&](std::uint32_t b) { return (bits[b / 8] >> (b % 8) & 1u) != 0; };
    const auto set = [&](std::uint32_t b, bool used) {
        bits[b / 8] = used ? std::uint8_t(bits[b / 8] | 1u << (b % 8)) : std::uint8_t(bits[b / 8] & ~(1u << (b % 8)));
    };
    // What a killed writer allocated and never linked (7): a whole record or
    // table that nothing reaches.
    for (std::uint32_t b = 0; b < capacity && reach.ChainComplete(); ++b) {
        if (!isSet(b) || reach.Used(b))
            continue;
        const std::uint32_t at = kBlocksStart + b * kBlockSize;
        const std::uint32_t signature = Read32(at);
        const std::uint32_t blocks = Read32(at + 4);
        if ((signature != kUrlSignature && signature != kHashSignature) || blocks == 0 || blocks > capacity - b)
            continue;
        bool orphan = true;
        for (std::uint32_t n = b; n < b + blocks && orphan; ++n)
            orphan = isSet(n) && !reach.Used(n);
        if (!orphan)
            continue;
        for (std::uint32_t n = b; n < b + blocks; ++n)
            set(n, false);
        b += blocks - 1;
    }
    for (std::uint32_t b = 0; b < capacity; ++b) {
        if (reach.Used(b))
            set(b, true);
    }
    for (std::uint32_t b = capacity; b < kMaxBlocks; ++b)
        set(b, false);

    // Recount blocks in use (5). This runs before every change: a byte is
    // stored only when it changes, so that the pages stay clean.
    std::uint32_t used = 0;
    for (std::uint32_t i = 0; i < bits.size(); ++i) {
        if (bits[i] != bitmap[i])
            bitmap[i] = bits[i];
        used += std::uint32_t(std::popcount(bits[i]));
    }
    if (Read32(kBlocksInUseOffset) != used)
        Write32(kBlocksInUseOffset, used);
}

bool IndexDatStore::FindFreeRun(std::uint32_t blocks, std::uint32_t& first) const
{
    const std::uint32_t capacity = Capacity();
    const std::uint8_t* bitmap = Bytes().data() + kBitmapOffset;
    const auto search = [&](std::uint32_t from, std::uint32_t to) {
        std::uint32_t run = 0;
        for (std::uint32_t b = from; b < to;) {
            if (b % 8 == 0 && bitmap[b / 8] == 0xFF && b + 8 <= to) {
                run = 0;
                b += 8;
                continue;
            }
            if (bitmap[b / 8] & (1u << (b % 8))) {
                run = 0;
            } else if (++run == blocks) {
                first = b + 1 - blocks;
                return true;
            }
            ++b;
        }
        return false;
    };
    const std::uint32_t hint = m_memory.allocHint < capacity ? m_memory.allocHint : 0;
    return search(hint, capacity) || search(0, std::min(capacity, hint + blocks));
}

void IndexDatStore::MarkBlocks(std::uint32_t first, std::uint32_t count, bool used)
{
    auto bytes = m_file.Bytes();
    for (std::uint32_t b = first; b < first + count; ++b) {
        std::uint8_t& bits = bytes[kBitmapOffset + b / 8];
        bits = used ? std::uint8_t(bits | 1u << (b % 8)) : std::uint8_t(bits & ~(1u << (b % 8)));
    }
    const std::uint32_t inUse = Read32(kBlocksInUseOffset);
    Write32(kBlocksInUseOffset, used ? inUse + count : (inUse >= count ? inUse - count : 0));
}

DWORD IndexDatStore::Grow(std::uint32_t atLeast)
{
    KeepWholeHeader();
    const std::uint32_t capacity = Capacity();
    if (capacity >= kMaxBlocks)
        return ERROR_DISK_FULL;
    std::uint64_t wanted = std::max<std::uint64_t>(std::uint64_t(capacity) * 2, std::uint64_t(capacity) + atLeast);
    const auto blocks = std::uint32_t(std::min<std::uint64_t>(wanted, kMaxBlocks));
    if (DWORD error = m_file.Extend(FileSizeFor(blocks)); error != ERROR_SUCCESS)
        return error;
    Write32(kCapacityOffset, blocks);
    Write32(kFileSizeOffset, std::uint32_t(FileSizeFor(blocks)));
    return ERROR_SUCCESS;
}

DWORD IndexDatStore::Allocate(std::uint32_t blocks, std::uint32_t& offset)
{
    if (blocks == 0 || blocks > kMaxBlocks)
        return ERROR_INVALID_PARAMETER;
    std::uint32_t first = 0;
    while (!FindFreeRun(blocks, first)) {
        if (DWORD error = Grow(blocks); error != ERROR_SUCCESS)
            return error;
    }
    MarkBlocks(first, blocks, true);
    m_memory.allocHint = first + blocks;
    offset = kBlocksStart + first * kBlockSize;
    return ERROR_SUCCESS;
}

DWORD IndexDatStore::AppendHashTable(std::uint32_t& offset)
{
    if (DWORD error = Allocate(kHashTableBlocks, offset); error != ERROR_SUCCESS)
        return error;
    WriteHashTable(offset);
    return ERROR_SUCCESS;
}

void IndexDatStore::WriteHashTable(std::uint32_t offset)
{
    const auto tables = Chain();
    auto bytes = m_file.Bytes();
    std::uint8_t* p = bytes.data() + offset;
    Store32(p, kHashSignature);
    Store32(p + 4, kHashTableBlocks);
    Store32(p + kHashNextOffset, 0);
    Store32(p + kHashIdOffset, tables.empty() ? 0 : Read32(tables.back().offset + kHashIdOffset) + 1);
    for (std::uint32_t at = kHashSlotsOffset; at + kHashSlotSize <= kHashTableBlocks * kBlockSize; at += kHashSlotSize) {
        Store32(p + at, kSlotFree);
        Store32(p + at + 4, kSlotFree);
    }
    // Linked last (3).
    Publish32(tables.empty() ? kHashTableOffset : tables.back().offset + kHashNextOffset, offset);
}

DWORD IndexDatStore::Publish(std::string_view url, const std::vector<std::uint8_t>& record,
                             std::uint32_t freeSlot)
{
    if (record.empty() || record.size() % kBlockSize != 0)
        return ERROR_INVALID_PARAMETER;
    const std::uint32_t key = KeyOf(url);
    std::uint32_t at = freeSlot;
    // Every block is allocated before anything is written, so that a failure
    // (a full disk) leaves the blocks as they were.
    const auto blocks = std::uint32_t(record.size() / kBlockSize);
    std::uint32_t offset = 0;
    std::uint32_t table = 0;
    if (DWORD error = Allocate(blocks, offset); error != ERROR_SUCCESS)
        return error;
    if (at == 0) {
        if (DWORD error = Allocate(kHashTableBlocks, table); error != ERROR_SUCCESS) {
            MarkBlocks((offset - kBlocksStart) / kBlockSize, blocks, false);
            return error;
        }
    }
    std::copy(record.begin(), record.end(), m_file.Bytes().begin() + offset);
    if (table != 0) {
        WriteHashTable(table);
        at = table + kHashSlotsOffset + (key % kHashBuckets) * kHashBucketSlots * kHashSlotSize;
    }
    // Offset first, key last (1).
    Publish32(at + 4, offset);
    Publish32(at, (KeyBits(key) << kHashFlagBits) | kSlotUrl);
    return ERROR_SUCCESS;
}

bool IndexDatStore::Remove(const HashSlot& slot)
{
    Publish32(slot.at, kSlotDeleted); // (2)
    const std::uint32_t offset = slot.record;
    if (offset < kBlocksStart || offset % kBlockSize != 0)
        return false;
    // A record another slot of the bucket still names stays.
    bool named = false;
    VisitBucket(slot.key, [&](const HashSlot& other) {
        named = other.record == offset;
        return !named;
    });
    const std::uint32_t blocks = named ? 0 : OwnedBlocks(offset);
    if (blocks == 0)
        return false;
    MarkBlocks((offset - kBlocksStart) / kBlockSize, blocks, false);
    return true;
}

// The blocks of the record at offset that are its own: no more than its
// fields use (when they can be read), and never a block where another record
// or table begins, however long the record says it is.
std::uint32_t IndexDatStore::OwnedBlocks(std::uint32_t offset) const
{
    const std::uint32_t first = (offset - kBlocksStart) / kBlockSize;
    const std::uint32_t capacity = Capacity();
    if (first >= capacity)
        return 0;
    std::uint32_t blocks = std::min(Read32(offset + 4), capacity - first);
    if (const auto record = ParseUrlRecord(Bytes(), offset))
        blocks = std::min(blocks, (record->usedBytes + kBlockSize - 1) / kBlockSize);
    for (std::uint32_t n = 1; n < blocks; ++n) {
        const std::uint32_t signature = Read32(offset + n * kBlockSize);
        if (IsRecordSignature(signature))
            return n;
    }
    return blocks;
}

DWORD IndexDatStore::AddFolder(const std::filesystem::path& folder, std::uint32_t& index)
{
    index = Read32(kFolderCountOffset);
    if (index >= kMaxFolders)
        return ERROR_DISK_FULL;
    for (int attempt = 0; attempt < 256; ++attempt) {
        const std::string name = RandomCacheName();
        std::error_code error;
        if (!std::filesystem::create_directory(folder / name, error))
            continue;
        auto bytes = m_file.Bytes();
        std::uint8_t* entry = bytes.data() + kFolderTableOffset + index * kFolderEntrySize;
        Store32(entry, 0);
        std::copy(name.begin(), name.end(), entry + 4);
        Write32(kFolderCountOffset, index + 1);
        return ERROR_SUCCESS;
    }
    return ERROR_PATH_NOT_FOUND;
}

DWORD IndexDatStore::ChooseFolder(const std::filesystem::path& folder, std::uint32_t& index)
{
    const std::uint32_t count = FolderCount();
    std::uint32_t best = count;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (FolderName(i).empty())
            continue;
        if (best == count || Read32(kFolderTableOffset + i * kFolderEntrySize) <
                                 Read32(kFolderTableOffset + best * kFolderEntrySize))
            best = i;
    }
    if (best == count)
        return AddFolder(folder, index);
    index = best;
    return ERROR_SUCCESS;
}

void IndexDatStore::AdjustFolderFiles(std::uint8_t folder, int delta)
{
    if (folder >= FolderCount())
        return;
    const std::uint32_t at = kFolderTableOffset + folder * kFolderEntrySize;
    const std::uint32_t files = Read32(at);
    Write32(at, delta > 0 ? files + 1 : (files > 0 ? files - 1 : 0));
}

void IndexDatStore::AdjustUsage(std::uint64_t bytes, bool add)
{
    auto data = m_file.Bytes();
    const std::uint64_t usage = Load64(data.data() + kCacheUsageOffset);
    Store64(data.data() + kCacheUsageOffset, add ? usage + bytes : (usage > bytes ? usage - bytes : 0));
}

} // namespace larkspool
