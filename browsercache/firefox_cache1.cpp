// Reading Firefox's first disk cache: the map's records first, then, when
// the map is dirty or short, the metadata entries it does not name.
#include "browsercache/firefox_cache1.h"

#include "browsercache/browser_time.h"
#include "browsercache/cache_key_url.h"
#include "browsercache/entry_file.h"
#include "browsercache/firefox_cache1_format.h"
#include "browsercache/firefox_hash.h"
#include "browsercache/inside_cache.h"
#include "browsercache/response_head.h"

#include <new>
#include <set>
#include <vector>

namespace larkspool::browsercache {

namespace {

using namespace cache1;

// Firefox keeps metadata far smaller; a larger separate metadata file is damage.
constexpr std::uint64_t kMaxSeparateMetadataSize = 4 * 1024 * 1024;
// The most records a map can hold: Firefox's own limit is far lower.
constexpr std::uint64_t kMaxMapRecords = std::uint64_t(1) << 20;
// A separate file's generation is one byte; without the map each is tried.
constexpr std::uint32_t kGenerations = 256;

std::string BlockName(std::uint32_t block)
{
    return "block " + std::to_string(block);
}

class Cache1Reader {
public:
    Cache1Reader(const FirefoxCache1Files& files, const std::filesystem::path& folder) : m_files(files), m_folder(folder)
    {
        for (int file = 1; file <= kBlockFiles; ++file) {
            m_claimed[file - 1].assign(std::size_t(BlockCount(file)), false);
            if (const ByteSource* bytes = Blocks(file); !bytes || !bytes->ReadAt(0, BitmapSize(file), m_bitmaps[file - 1]))
                m_bitmaps[file - 1].clear();
        }
    }

    std::vector<BrowserCacheRecord> Read()
    {
        const bool complete = ReadMap();
        if (!complete)
            Recover();
        return std::move(m_records);
    }

private:
    struct Found {
        Entry entry;
        // The entry's bytes, which entry views into: held apart so that
        // moving a Found leaves the views sound.
        std::unique_ptr<std::string> bytes = std::make_unique<std::string>();
    };

    const ByteSource* Blocks(int file) const { return m_files.blockFiles[std::size_t(file - 1)]; }

    // Blocks the file holds, at most as many as its bitmap can tell.
    std::uint64_t BlockCount(int file) const
    {
        const ByteSource* bytes = Blocks(file);
        if (!bytes || bytes->Size() <= BitmapSize(file))
            return 0;
        const std::uint64_t blocks = (bytes->Size() - BitmapSize(file) + BlockSize(file) - 1) / BlockSize(file);
        return blocks < MaxBlocks(file) ? blocks : MaxBlocks(file);
    }

    // Why file (0 the map, 1..3 a block file) is not there, in a few words.
    std::string Unopened(int file) const
    {
        const std::string& error = m_files.openErrors[std::size_t(file)];
        return error.empty() ? "is missing" : "cannot be opened: " + error;
    }

    void Problem(const std::string& file, const std::string& why)
    {
        BrowserCacheRecord record;
        record.body.file = m_folder / file;
        MarkDamaged(record, why);
        m_records.push_back(std::move(record));
    }

    // True when the map named every entry; false when the block files must
    // be searched for the rest.
    bool ReadMap()
    {
        const ByteSource* map = m_files.map;
        std::string header;
        if (!map) {
            Problem("_CACHE_MAP_", Unopened(0) + "; the entries are searched for in the block files");
            return false;
        }
        std::optional<MapHeader> parsed;
        if (map->ReadAt(0, kMapHeaderSize, header))
            parsed = ReadMapHeader(header);
        if (!parsed) {
            Problem("_CACHE_MAP_", "truncated: " + std::to_string(map->Size()) + " bytes, less than its header");
            return false;
        }
        m_clean = !parsed->dirty;
        if (parsed->recordCount % kBuckets != 0 || parsed->recordCount > kMaxMapRecords) {
            Problem("_CACHE_MAP_", "damaged header: " + std::to_string(parsed->recordCount) + " records");
            return false;
        }
        const std::uint64_t held = (map->Size() - kMapHeaderSize) / kMapRecordSize;
        const std::uint64_t readable = held < parsed->recordCount ? held : parsed->recordCount;
        std::string records;
        if (!map->ReadAt(kMapHeaderSize, readable * kMapRecordSize, records)) {
            Problem("_CACHE_MAP_", "cannot read its records");
            return false;
        }
        const std::uint32_t perBucket = parsed->recordCount / kBuckets;
        for (std::uint32_t bucket = 0; bucket < kBuckets; ++bucket) {
            const std::uint32_t used = parsed->bucketUsage[bucket] < perBucket ? parsed->bucketUsage[bucket] : perBucket;
            for (std::uint32_t i = 0; i < used; ++i) {
                const std::uint64_t index = std::uint64_t(bucket) * perBucket + i;
                if (index >= readable)
                    break;
                const MapRecord record = ReadMapRecord(records, std::size_t(index));
                if (record.hash != 0)
                    ReadRecord(record);
            }
        }
        if (held < parsed->recordCount) {
            Problem("_CACHE_MAP_", "truncated: holds " + std::to_string(held) + " of its " +
                                       std::to_string(parsed->recordCount) +
                                       " records; the others are searched for in the block files");
            return false;
        }
        return m_clean;
    }

    // Checks location's blocks against the file and (for a clean cache) its
    // bitmap and claims them; the reason when they are not sound.
    std::string ClaimBlocks(const Location& location, std::uint64_t usedBytes, const char* what)
    {
        const int file = location.file;
        const std::string name = BlockFileName(file);
        if (!Blocks(file))
            return "the " + std::string(what) + " lies in " + name + ", which " + Unopened(file);
        if (usedBytes > std::uint64_t(location.blockCount) * BlockSize(file))
            return "the " + std::string(what) + " of " + std::to_string(usedBytes) + " bytes does not fit its " +
                   std::to_string(location.blockCount) + " blocks";
        const std::uint64_t offset = BitmapSize(file) + std::uint64_t(location.firstBlock) * BlockSize(file);
        if (std::uint64_t(location.firstBlock) + location.blockCount > MaxBlocks(file) ||
            offset >= Blocks(file)->Size() || !Blocks(file)->Contains(offset, usedBytes))
            return "the " + std::string(what) + " at " + BlockName(location.firstBlock) + " lies past the end of " +
                   name;
        if (m_clean && !BlocksInUse(m_bitmaps[file - 1], location.firstBlock, location.blockCount))
            return "the " + std::string(what) + " at " + BlockName(location.firstBlock) + " lies in blocks " + name +
                   " marks free";
        Claim(file, location.firstBlock, location.blockCount);
        return {};
    }

    void Claim(int file, std::uint64_t first, std::uint64_t count)
    {
        std::vector<bool>& claimed = m_claimed[file - 1];
        for (std::uint64_t block = first; block < first + count && block < claimed.size(); ++block)
            claimed[std::size_t(block)] = true;
    }

    bool AnyClaimed(int file, std::uint64_t first, std::uint64_t count) const
    {
        const std::vector<bool>& claimed = m_claimed[file - 1];
        for (std::uint64_t block = first; block < first + count; ++block)
            if (block >= claimed.size() || claimed[std::size_t(block)])
                return true;
        return false;
    }

    // The metadata entry at a map record's location.
    std::string ReadMetadata(const MapRecord& record, Found& found, std::filesystem::path& file)
    {
        const Location location = DecodeLocation(record.metaLocation);
        if (!location.inUse)
            return "the map record names no metadata";
        if (location.file == 0) {
            const std::string name = SeparateFileName(record.hash, false, location.generation);
            file = m_folder / name;
            m_separateRead.insert(name);
            if (std::string error = ReadSeparate(name, *found.bytes); !error.empty())
                return error;
        } else {
            file = m_folder / BlockFileName(location.file);
            const std::uint64_t offset = BitmapSize(location.file) + std::uint64_t(location.firstBlock) * BlockSize(location.file);
            const ByteSource* bytes = Blocks(location.file);
            const std::uint64_t wanted = std::uint64_t(location.blockCount) * BlockSize(location.file);
            const std::uint64_t available = bytes && offset < bytes->Size() ? bytes->Size() - offset : 0;
            if (std::string error = ClaimBlocks(location, available < wanted ? available : wanted, "metadata");
                !error.empty())
                return error;
            if (!bytes->ReadAt(offset, available < wanted ? available : wanted, *found.bytes))
                return "cannot read the metadata at " + BlockName(location.firstBlock);
        }
        EntryResult entry = ReadEntry(*found.bytes);
        if (!entry.entry)
            return (location.file ? BlockName(location.firstBlock) + ": " : std::string()) + entry.error;
        found.entry = *entry.entry;
        if (FirefoxHash(found.entry.key) != record.hash)
            return "the key " + std::string(found.entry.key) + " does not match the map record's hash";
        return {};
    }

    // The bytes of the separate metadata file name; the reason when there are none.
    std::string ReadSeparate(const std::string& name, std::string& bytes) const
    {
        const std::unique_ptr<ByteSource> file = m_files.openSeparate ? m_files.openSeparate(name) : nullptr;
        if (!file)
            return "the metadata file is missing";
        if (file->Size() > kMaxSeparateMetadataSize)
            return "the metadata file of " + std::to_string(file->Size()) + " bytes is too large";
        if (!file->ReadAt(0, file->Size(), bytes))
            return "cannot read the metadata file";
        return {};
    }

    // Fills record from the entry; the body is set by the caller.
    static void Describe(const Entry& entry, BrowserCacheRecord& record)
    {
        record.key = std::string(entry.key);
        record.url = UrlFromFirefoxCache1Key(entry.key);
        if (const auto head = ElementValue(entry.elements, "response-head"))
            record.responseHead = HeadFromLines(*head, '\n');
        record.entryTime = TicksFromUnixSeconds(entry.lastModified);
        record.accessTime = TicksFromUnixSeconds(entry.lastFetched);
    }

    // The body in a separate file; the reason when it is not there.
    std::string SeparateBody(const std::string& name, std::uint32_t size, BodyLocation& body) const
    {
        const std::unique_ptr<ByteSource> bytes = m_files.openSeparate ? m_files.openSeparate(name) : nullptr;
        if (!bytes)
            return "the body's file " + name + " is missing";
        if (bytes->Size() < size)
            return "the body's file " + name + " holds " + std::to_string(bytes->Size()) + " of its " +
                   std::to_string(size) + " bytes";
        body = {m_folder / name, 0, size, false, 0, m_folder};
        return {};
    }

    BodyLocation BlockBody(int file, std::uint64_t firstBlock, std::uint32_t size) const
    {
        return {m_folder / BlockFileName(file), BitmapSize(file) + firstBlock * BlockSize(file), size, false, 0,
                m_folder};
    }

    std::string ReadData(const MapRecord& record, const Entry& entry, BodyLocation& body)
    {
        if (entry.dataSize == 0)
            return {};
        const Location location = DecodeLocation(record.dataLocation);
        if (!location.inUse)
            return "the body of " + std::to_string(entry.dataSize) + " bytes has no location";
        if (location.file == 0)
            return SeparateBody(SeparateFileName(record.hash, true, location.generation), entry.dataSize, body);
        if (std::string error = ClaimBlocks(location, entry.dataSize, "body"); !error.empty())
            return error;
        body = BlockBody(location.file, location.firstBlock, entry.dataSize);
        return {};
    }

    void ReadRecord(const MapRecord& mapRecord)
    {
        BrowserCacheRecord record;
        Found found;
        std::string error;
        try {
            error = ReadMetadata(mapRecord, found, record.body.file);
            if (error.empty()) {
                Describe(found.entry, record);
                record.body.cacheFolder = m_folder;
                error = ReadData(mapRecord, found.entry, record.body);
            }
        } catch (const std::bad_alloc&) {
            error = "too large to read (out of memory)";
        }
        if (!error.empty())
            MarkDamaged(record, error);
        m_records.push_back(std::move(record));
    }

    // An entry found at block of file by its metadata alone.
    struct Recovered {
        Found found;
        int file = 0;             // 0: a separate file
        std::uint64_t block = 0;
        std::string separateName; // of a separate file
        std::size_t record = 0; // its index in m_records
    };

    void Recover()
    {
        std::vector<Recovered> recovered;
        for (int file = 1; file <= kBlockFiles; ++file) {
            const ByteSource* bytes = Blocks(file);
            const std::uint64_t blocks = BlockCount(file);
            const std::uint64_t blockSize = BlockSize(file);
            for (std::uint64_t block = 0; block < blocks; ++block) {
                if (AnyClaimed(file, block, 1))
                    continue;
                const std::uint64_t offset = BitmapSize(file) + block * blockSize;
                const std::uint64_t left = bytes->Size() - offset;
                const std::uint64_t most = blockSize * kMaxBlocksPerItem;
                // Most blocks hold no entry: their first word tells.
                Recovered candidate;
                if (!bytes->ReadAt(offset, left < 4 ? left : 4, *candidate.found.bytes) ||
                    candidate.found.bytes->size() < 4 || (*candidate.found.bytes)[0] != '\0' ||
                    (*candidate.found.bytes)[1] != '\1' ||
                    !bytes->ReadAt(offset, left < most ? left : most, *candidate.found.bytes))
                    continue;
                EntryResult entry = ReadEntry(*candidate.found.bytes);
                if (!entry.entry)
                    continue;
                const std::uint64_t used = (entry.entry->size + blockSize - 1) / blockSize;
                if (AnyClaimed(file, block, used))
                    continue;
                candidate.found.entry = *entry.entry;
                candidate.file = file;
                candidate.block = block;
                Claim(file, block, used);
                recovered.push_back(std::move(candidate));
                block += used - 1;
            }
        }
        RecoverSeparate(recovered);
        for (Recovered& one : recovered) {
            BrowserCacheRecord record;
            record.body.file = m_folder / (one.file ? BlockFileName(one.file) : one.separateName);
            Describe(one.found.entry, record);
            record.body.cacheFolder = m_folder;
            one.record = m_records.size();
            m_records.push_back(std::move(record));
        }
        std::vector<Recovered*> lacking;
        for (Recovered& one : recovered)
            if (!FindBody(one))
                lacking.push_back(&one);
        for (int file = 1; file <= kBlockFiles; ++file)
            FindSoleBody(file, lacking);
        for (const Recovered* one : lacking)
            if (one)
                MarkDamaged(m_records[one->record],
                            (one->file ? BlockName(std::uint32_t(one->block)) + ": " : std::string()) +
                                "the body's place was kept only in the map, which lacks this entry");
    }

    // Metadata too large for a block file lies in a file of its own, named
    // by the key's hash: those the map did not name.
    void RecoverSeparate(std::vector<Recovered>& recovered)
    {
        if (!m_files.listSeparate)
            return;
        for (const std::string& name : m_files.listSeparate()) {
            const auto separate = ParseSeparateFileName(name);
            if (!separate || separate->data || m_separateRead.count(name))
                continue;
            Recovered candidate;
            std::string error = ReadSeparate(name, *candidate.found.bytes);
            if (error.empty()) {
                EntryResult entry = ReadEntry(*candidate.found.bytes);
                if (!entry.entry)
                    error = entry.error;
                else if (FirefoxHash(entry.entry->key) != separate->hash)
                    error = "the key " + std::string(entry.entry->key) + " does not match the file name's hash";
                else
                    candidate.found.entry = *entry.entry;
            }
            if (!error.empty()) {
                Problem(name, error);
                continue;
            }
            candidate.separateName = name;
            recovered.push_back(std::move(candidate));
        }
    }

    // Firefox gives a body the first free blocks of its block file: when a
    // single entry still lacks a body there and the file has a single run
    // of blocks left unclaimed, the body starts that run. Found ones are
    // taken out of lacking.
    void FindSoleBody(int file, std::vector<Recovered*>& lacking)
    {
        Recovered** sole = nullptr;
        for (Recovered*& one : lacking)
            if (one && BlockFileFor(one->found.entry.dataSize) == file) {
                if (sole)
                    return;
                sole = &one;
            }
        if (!sole)
            return;
        std::uint64_t runStart = 0, runLength = 0;
        const std::vector<bool>& claimed = m_claimed[file - 1];
        for (std::uint64_t block = 0; block < claimed.size(); ++block) {
            if (claimed[std::size_t(block)])
                continue;
            if (runLength != 0 && runStart + runLength != block)
                return; // a second run
            if (runLength++ == 0)
                runStart = block;
        }
        const std::uint32_t size = (*sole)->found.entry.dataSize;
        if (runLength * BlockSize(file) < size ||
            !Blocks(file)->Contains(BitmapSize(file) + runStart * BlockSize(file), size))
            return;
        Claim(file, runStart, (size + BlockSize(file) - 1) / BlockSize(file));
        m_records[(*sole)->record].body = BlockBody(file, runStart, size);
        *sole = nullptr;
    }

    // A body Firefox put where it can be found without the map: a separate
    // file named by the key's hash, or the free blocks just before the
    // metadata when it went to the same block file. False when not found.
    bool FindBody(Recovered& one)
    {
        BrowserCacheRecord& record = m_records[one.record];
        const std::uint32_t size = one.found.entry.dataSize;
        if (size == 0)
            return true;
        const int file = BlockFileFor(size);
        if (file == 0) {
            const std::uint32_t hash = FirefoxHash(one.found.entry.key);
            for (std::uint32_t generation = 0; generation < kGenerations; ++generation)
                if (SeparateBody(SeparateFileName(hash, true, generation), size, record.body).empty())
                    return true;
            return false;
        }
        const std::uint64_t blocks = (size + BlockSize(file) - 1) / BlockSize(file);
        if (file != one.file || one.block < blocks || AnyClaimed(file, one.block - blocks, blocks))
            return false;
        Claim(file, one.block - blocks, blocks);
        record.body = BlockBody(file, one.block - blocks, size);
        return true;
    }

    const FirefoxCache1Files& m_files;
    std::filesystem::path m_folder;
    std::array<std::string, kBlockFiles> m_bitmaps;
    std::array<std::vector<bool>, kBlockFiles> m_claimed;
    bool m_clean = false;
    std::set<std::string> m_separateRead; // separate metadata files the map named
    std::vector<BrowserCacheRecord> m_records;
};

} // namespace

std::vector<BrowserCacheRecord> ReadFirefoxCache1(const FirefoxCache1Files& files, const std::filesystem::path& folder)
{
    return Cache1Reader(files, folder).Read();
}

BrowserCacheScan ScanFirefoxCache1(const std::filesystem::path& folder)
{
    BrowserCacheScan scan;
    scan.format = BrowserCacheFormat::FirefoxCache1;
    const OpenedCacheFolder opened(folder);
    auto open = [&](const std::string& name, std::string* error = nullptr) -> std::unique_ptr<ByteSource> {
        auto bytes = std::make_unique<FileBytes>(opened, folder / name);
        if (bytes->IsOpen())
            return bytes;
        if (error && !bytes->Missing())
            *error = bytes->Error();
        return nullptr;
    };
    FirefoxCache1Files files;
    const std::unique_ptr<ByteSource> map = open("_CACHE_MAP_", &files.openErrors[0]);
    files.map = map.get();
    files.openSeparate = [&](const std::string& name) { return open(name); };
    files.listSeparate = [&] {
        // "3/3D/ED165m01": two levels of folders named by hexadecimal digits.
        std::vector<std::string> names;
        std::string ignored;
        for (const std::filesystem::path& top : ListSubfolders(folder, folder, ignored))
            for (const std::filesystem::path& middle : ListSubfolders(folder, top, ignored))
                for (const std::filesystem::path& file : ListEntryFiles(folder, middle, ignored))
                    names.push_back(top.filename().string() + "/" + middle.filename().string() + "/" +
                                    file.filename().string());
        return names;
    };
    std::array<std::unique_ptr<ByteSource>, kBlockFiles> blockFiles;
    for (std::size_t i = 0; i < blockFiles.size(); ++i) {
        blockFiles[i] = open(BlockFileName(int(i + 1)), &files.openErrors[i + 1]);
        files.blockFiles[i] = blockFiles[i].get();
    }
    scan.records = ReadFirefoxCache1(files, folder);
    return scan;
}

} // namespace larkspool::browsercache
