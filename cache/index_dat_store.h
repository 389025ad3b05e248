// The records of a locked index.dat: finding a URL through the HASH tables,
// walking every slot, and the writes that add, replace and remove records in
// an order that leaves the file valid at every step (see index_dat_store.cpp).
#pragma once

#include "cache/index_dat_file.h"
#include "cache/index_dat_format.h"
#include "cache/index_dat_reach.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool {

enum class IndexDatState {
    Empty,     // no file, a zero-length one, or one whose first write never finished
    Valid,     // a cache file we read and write
    Foreign,   // anything else: never written to
};

// One HASH table of the chain; slots counts the slots inside its blocks.
struct HashTableRef {
    std::uint32_t offset = 0;
    std::uint32_t slots = 0;
};

// A live slot: where it is and the record it points at.
struct HashSlot {
    std::uint32_t at = 0; // file offset of the slot
    std::uint32_t key = 0;
    std::uint32_t record = 0;
};

// What a store remembers from one operation to the next.
struct IndexDatStoreMemory {
    std::uint32_t allocHint = 0; // a block index; a stale one costs a longer search only
    // The HASH chain as found under one taking of the lock: every lookup
    // walks it, and a full file has over a hundred tables.
    std::uint64_t chainTaking = ~std::uint64_t(0);
    std::vector<HashTableRef> chain;
    // The last URL's hash key: an add looks its URL up, then publishes it.
    std::optional<std::string> keyUrl;
    std::uint32_t key = 0;
};

class IndexDatStore {
public:
    // file must be locked for as long as the store is used.
    IndexDatStore(IndexDatFile& file, IndexDatStoreMemory& memory) : m_file(file), m_memory(memory) {}

    IndexDatState State() const;
    // Why a Foreign file cannot be used, in one line.
    std::string ForeignReason() const;

    // The chain of HASH tables, stopping at the first table that is damaged,
    // lies outside the file or was seen before.
    std::vector<HashTableRef> HashTables() const;
    // True when tables, as HashTables() gave them, end where the last one's
    // link says the chain ends: only then is every record known.
    bool ChainComplete(const std::vector<HashTableRef>& tables) const;
    // The table at offset when a sound HASH table lies there.
    std::optional<HashTableRef> HashTableAt(std::uint32_t offset) const;
    std::optional<HashSlot> SlotAt(const HashTableRef& table, std::uint32_t index) const;
    // The first live slot whose URL record holds exactly url, and all of them;
    // freeSlot, when given, receives the slot Publish() would fill for url
    // (0: none), found on the same walk.
    std::optional<HashSlot> Find(std::string_view url) const;
    std::vector<HashSlot> FindAll(std::string_view url, std::uint32_t* freeSlot = nullptr) const;
    // The first live slot whose REDR record holds exactly url. Find() and
    // FindAll() see URL records only, so that no write touches a redirect.
    std::optional<HashSlot> FindRedirect(std::string_view url) const;

    std::uint32_t FolderCount() const;
    // The sub-folder's name, or empty when it is no safe single path element.
    std::string FolderName(std::uint32_t index) const;

    std::span<const std::uint8_t> Bytes() const { return m_file.Bytes(); }
    // The blocks after the header, as far as both the header and the file hold them.
    std::uint32_t Capacity() const;

    // Writes; each returns a Win32 error code. Prepare() first, once per lock:
    // it sets up an empty file and mends what an interrupted writer left.
    // A change that fails after it calls Undo(), which puts the header back
    // as Prepare() found it. A header equal to leftHeader, the one this
    // process's last change left, needs no mending of its bitmap.
    DWORD Prepare(const std::filesystem::path& folder, const std::vector<std::uint8_t>& leftHeader);
    void Undo();
    // The header in use as it is now, into header (its room reused).
    void CopyHeader(std::vector<std::uint8_t>& header) const;
    // Adds a fresh sub-folder (created on disk) and returns its index.
    DWORD AddFolder(const std::filesystem::path& folder, std::uint32_t& index);
    // The least filled sub-folder, adding one when there is none.
    DWORD ChooseFolder(const std::filesystem::path& folder, std::uint32_t& index);
    // Stores record (whole blocks, URL signature) and publishes it under url
    // in freeSlot, as FindAll() gave it since the last change (0: in a new
    // HASH table).
    DWORD Publish(std::string_view url, const std::vector<std::uint8_t>& record, std::uint32_t freeSlot);
    // Unpublishes the slot, then frees its record's blocks unless another
    // slot still names it; true when the record is gone.
    bool Remove(const HashSlot& slot);
    void AdjustFolderFiles(std::uint8_t folder, int delta);
    void AdjustUsage(std::uint64_t bytes, bool add);

private:
    // Visits the live slots of key's bucket that match its key bits, in
    // chain order, while visit says to go on; firstEmpty, when given,
    // receives the first empty slot passed (0: none).
    void VisitBucket(std::uint32_t key, const std::function<bool(const HashSlot&)>& visit,
                     std::uint32_t* firstEmpty = nullptr) const;
    // The same for the slots whose record holds exactly url.
    void VisitMatches(std::string_view url, const std::function<bool(const HashSlot&)>& visit,
                      std::uint32_t* firstEmpty = nullptr) const;
    std::uint32_t KeyOf(std::string_view url) const;
    std::uint32_t Read32(std::uint32_t offset) const;
    void Write32(std::uint32_t offset, std::uint32_t value);
    void Publish32(std::uint32_t offset, std::uint32_t value);
    // True when the header leads to no HASH table but a block holds a record
    // or a table (8).
    bool RecordsOutOfReach() const;
    // The header up to the bitmap's last byte for the capacity it gives: what
    // a change keeps to undo and compares. Only starting, mending, growing and
    // adopting a longer file write past it; they first have the undo take the
    // rest.
    std::span<const std::uint8_t> HeaderInUse() const;
    void KeepWholeHeader();
    DWORD Initialize(const std::filesystem::path& folder);
    DWORD Mend(bool bitmapAsLeft);
    void MendBitmap(std::uint32_t capacity);
    std::uint32_t OwnedBlocks(std::uint32_t offset) const;
    DWORD Allocate(std::uint32_t blocks, std::uint32_t& offset);
    bool FindFreeRun(std::uint32_t blocks, std::uint32_t& first) const;
    DWORD Grow(std::uint32_t atLeast);
    void MarkBlocks(std::uint32_t first, std::uint32_t count, bool used);
    DWORD AppendHashTable(std::uint32_t& offset);
    void WriteHashTable(std::uint32_t offset);

    // HashTables() as remembered; found again when the lock was let go or the
    // chain no longer starts and ends where it did.
    const std::vector<HashTableRef>& Chain() const;
    void ForgetChain() { m_memory.chainTaking = ~std::uint64_t(0); }

    IndexDatFile& m_file;
    // The header before Prepare(): leftHeader when it was that, else a copy
    // in m_undo; leftHeader must not change before Undo().
    std::vector<std::uint8_t> m_undo;
    const std::vector<std::uint8_t>* m_undoFrom = &m_undo;
    IndexDatStoreMemory& m_memory;
};

} // namespace larkspool
