// Walking a blockfile cache: the index's hash table names each bucket's
// first entry, entries chain to the next; each entry names its key, its
// response record and its body by cache address.
#include "browsercache/chromium_blockfile_cache.h"

#include "browsercache/body_pieces.h"
#include "browsercache/browser_time.h"
#include "browsercache/byte_reader.h"
#include "browsercache/cache_key_url.h"
#include "browsercache/chromium_blockfile_format.h"
#include "browsercache/chromium_blockfile_sparse.h"
#include "browsercache/http_response_info.h"
#include "browsercache/inside_cache.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace larkspool::browsercache {

using blockfile::CacheAddress;

namespace {

constexpr std::uint64_t kMaxStream0Size = 4 * 1024 * 1024;
constexpr std::uint32_t kMaxKeyLength = 64 * 1024;
constexpr std::uint32_t kEntryInUse = 0;

// Names an entry whose key cannot be read by where it lies.
std::string EntryName(CacheAddress address)
{
    return "entry at " + address.FileName() + " block " + std::to_string(address.FirstBlock());
}

struct EntryStore {
    CacheAddress next;
    CacheAddress rankings;
    std::uint32_t state = 0;
    std::uint64_t creationTime = 0;
    std::uint32_t keyLength = 0;
    CacheAddress longKey;
    std::uint32_t streamSize[4] = {};
    CacheAddress streamAddress[4];
    std::uint32_t flags = 0;
    std::string inlineKey; // the key bytes over the entry's blocks
};

class BlockfileReader {
public:
    BlockfileReader(const std::filesystem::path& cacheDir, const OpenCacheFile& open) : m_dir(cacheDir), m_open(open) {}

    // The entries, a sparse body put together from its children.
    BrowserCacheScan Scan();

private:
    struct OpenedFile {
        std::unique_ptr<ByteSource> bytes; // null when it cannot be opened
        std::string error;                 // then why; empty when missing
        std::uint32_t blockSize = 0;       // of a block file whose header is sound; 0 otherwise
    };

    // The file named: block files are opened once and kept, an external
    // file only until the next one is asked for, so that a cache of many
    // thousand f_ files never holds more than one of them open.
    const OpenedFile& File(const std::string& name);
    // Finds length bytes at the address; returns the reason when they are
    // not wholly inside a file that holds blocks of the address's size.
    std::string Locate(CacheAddress address, std::uint64_t length, const ByteSource*& file);
    std::string Read(CacheAddress address, std::uint64_t length, std::string& out);
    std::string ReadEntryStore(CacheAddress address, EntryStore& entry);
    std::string ReadKey(const EntryStore& entry, std::string& key);
    std::string ReadRecord(const EntryStore& entry, BrowserCacheRecord& record);
    std::string LocateBody(const EntryStore& entry, BodyLocation& body);
    void ReadRankings(CacheAddress address, BrowserCacheRecord& record);
    // Reads the entries of a chain from address on, each once.
    void ReadChain(CacheAddress address, std::unordered_set<std::uint32_t>& seen, BrowserCacheScan& scan);
    // The entry addresses of the rankings in use in data_0, in block order:
    // the entries as they are found without the index.
    std::vector<CacheAddress> RankedEntries();
    BrowserCacheScan ScanEntries();
    // The bodies of the parents read, from their children.
    void PlaceSparseBodies(BrowserCacheScan& scan);
    std::string ReadSparseBody(const EntryStore& parent, BrowserCacheRecord& record);
    // Adds the pieces child number n holds, as its control data says.
    std::string AddChildPieces(const EntryStore& child, const blockfile::SparseHeader& parent, std::uint32_t n,
                               std::vector<BodyPiece>& pieces);

    std::filesystem::path m_dir;
    const OpenCacheFile& m_open;
    std::map<std::string, OpenedFile> m_files;
    std::string m_externalName;
    OpenedFile m_external;
    std::unordered_map<std::string, EntryStore> m_children; // by key, of the sparse bodies
    std::vector<std::pair<std::size_t, EntryStore>> m_parents; // of a sparse body: their record's index, their entry
};

const BlockfileReader::OpenedFile& BlockfileReader::File(const std::string& name)
{
    if (name.starts_with("f_")) {
        if (name != m_externalName) {
            m_externalName = name;
            m_external = OpenedFile{};
            m_external.bytes = m_open(name, m_external.error);
        }
        return m_external;
    }
    auto found = m_files.find(name);
    if (found != m_files.end())
        return found->second;
    OpenedFile opened;
    opened.bytes = m_open(name, opened.error);
    std::string header;
    std::uint32_t magic = 0, version = 0, number = 0, blockSize = 0;
    if (opened.bytes && name.starts_with("data_") && opened.bytes->ReadAt(0, 16, header)) {
        ByteReader reader(header);
        reader.Le32(magic);
        reader.Le32(version);
        reader.Le32(number);
        reader.Le32(blockSize);
        if (magic == blockfile::kBlockFileMagic)
            opened.blockSize = blockSize;
    }
    return m_files.emplace(name, std::move(opened)).first->second;
}

std::string BlockfileReader::Locate(CacheAddress address, std::uint64_t length, const ByteSource*& file)
{
    if (!address.IsInitialized() || (!address.IsExternal() && address.BlockSize() == 0))
        return "invalid cache address " + std::to_string(address.value);
    const std::string name = address.FileName();
    const OpenedFile& opened = File(name);
    if (!opened.bytes)
        return name + (opened.error.empty() ? " is missing" : " " + opened.error);
    if (!address.IsExternal() && opened.blockSize != address.BlockSize())
        return name + " is not a block file of " + std::to_string(address.BlockSize()) + "-byte blocks";
    if (length > address.Capacity() || !opened.bytes->Contains(address.Offset(), length))
        return name + " is too short for the data it should hold";
    file = opened.bytes.get();
    return {};
}

std::string BlockfileReader::Read(CacheAddress address, std::uint64_t length, std::string& out)
{
    const ByteSource* file = nullptr;
    if (std::string error = Locate(address, length, file); !error.empty())
        return error;
    return file->ReadAt(address.Offset(), length, out) ? std::string() : address.FileName() + " cannot be read";
}

std::string BlockfileReader::ReadEntryStore(CacheAddress address, EntryStore& entry)
{
    if (address.FileType() != 2)
        return "an entry address points at no entry block";
    std::string raw;
    if (std::string error = Read(address, address.Capacity(), raw); !error.empty())
        return error;
    ByteReader reader(raw);
    std::uint32_t hash = 0, reuse = 0, refetch = 0;
    reader.Le32(hash);
    reader.Le32(entry.next.value);
    reader.Le32(entry.rankings.value);
    reader.Le32(reuse);
    reader.Le32(refetch);
    reader.Le32(entry.state);
    reader.Le64(entry.creationTime);
    reader.Le32(entry.keyLength);
    reader.Le32(entry.longKey.value);
    for (std::uint32_t& size : entry.streamSize)
        reader.Le32(size);
    for (CacheAddress& stream : entry.streamAddress)
        reader.Le32(stream.value);
    reader.Le32(entry.flags);
    entry.inlineKey = raw.substr(blockfile::kEntryKeyOffset);
    return {};
}

std::string BlockfileReader::LocateBody(const EntryStore& entry, BodyLocation& body)
{
    const std::uint32_t size = entry.streamSize[1];
    const CacheAddress address = entry.streamAddress[1];
    const ByteSource* file = nullptr;
    if (size == 0)
        return {};
    if (std::string error = Locate(address, size, file); !error.empty())
        return "the body cannot be read: " + error;
    body.file = m_dir / address.FileName();
    body.cacheFolder = m_dir;
    body.offset = address.Offset();
    body.length = size;
    return {};
}

std::string BlockfileReader::ReadKey(const EntryStore& entry, std::string& key)
{
    if (entry.keyLength > kMaxKeyLength)
        return "a key of " + std::to_string(entry.keyLength) + " bytes is too long";
    if (entry.longKey.value == 0) {
        if (entry.keyLength >= entry.inlineKey.size())
            return "the key does not fit its entry";
        key = entry.inlineKey.substr(0, entry.keyLength);
    } else if (std::string error = Read(entry.longKey, entry.keyLength, key); !error.empty()) {
        return "the key cannot be read: " + error;
    }
    return {};
}

std::string BlockfileReader::ReadRecord(const EntryStore& entry, BrowserCacheRecord& record)
{
    if (std::string error = ReadKey(entry, record.key); !error.empty())
        return error;
    record.url = UrlFromChromiumKey(record.key);

    if (entry.streamSize[0] > kMaxStream0Size)
        return "a response record of " + std::to_string(entry.streamSize[0]) + " bytes is too large";
    std::string stream0;
    if (entry.streamSize[0] > 0) {
        if (std::string error = Read(entry.streamAddress[0], entry.streamSize[0], stream0); !error.empty())
            return "the response record cannot be read: " + error;
    }
    if (std::string error = ReadResponseInfo(stream0, record); !error.empty())
        return error;
    return LocateBody(entry, record.body);
}

void BlockfileReader::ReadRankings(CacheAddress address, BrowserCacheRecord& record)
{
    std::string raw;
    std::uint64_t lastUsed = 0, lastModified = 0;
    if (address.FileType() != 1 || !Read(address, blockfile::kRankingsSize, raw).empty())
        return;
    ByteReader reader(raw);
    reader.Le64(lastUsed);
    reader.Le64(lastModified);
    record.accessTime = TicksFromChromiumTime(lastUsed);
    if (const std::uint64_t modified = TicksFromChromiumTime(lastModified))
        record.entryTime = modified;
}

BrowserCacheScan BlockfileReader::Scan()
{
    BrowserCacheScan scan = ScanEntries();
    PlaceSparseBodies(scan);
    return scan;
}

void BlockfileReader::PlaceSparseBodies(BrowserCacheScan& scan)
{
    for (const auto& [index, parent] : m_parents) {
        BrowserCacheRecord& record = scan.records[index];
        if (parent.streamSize[1] != 0 || parent.streamSize[2] == 0)
            continue; // a body of its own, or no children
        std::string error;
        try {
            error = ReadSparseBody(parent, record);
        } catch (const std::bad_alloc&) {
            error = "too many ranges to read (out of memory)"; // this entry's damage only
        }
        if (!error.empty()) {
            record.error = record.key + ": " + error;
            record.body = BodyLocation{};
        }
    }
}

std::string BlockfileReader::ReadSparseBody(const EntryStore& parent, BrowserCacheRecord& record)
{
    const std::uint32_t size = parent.streamSize[2];
    if (size < blockfile::kSparseHeaderSize + 4 || size > blockfile::kSparseHeaderSize + blockfile::kMaxChildrenMapSize ||
        size % 4 != 0)
        return "the control data of its ranges has a size of " + std::to_string(size) + " bytes, not Chromium's";
    std::string control;
    if (std::string error = Read(parent.streamAddress[2], size, control); !error.empty())
        return "the control data of its ranges cannot be read: " + error;
    const std::optional<blockfile::SparseHeader> header = blockfile::ReadSparseHeader(control);
    if (!header || header->parentKeyLength != record.key.size())
        return "the control data of its ranges is damaged";
    std::vector<BodyPiece> pieces;
    for (const std::uint32_t n : blockfile::SetBits(std::string_view(control).substr(blockfile::kSparseHeaderSize))) {
        const auto child = m_children.find(blockfile::ChildKey(record.key, header->signature, n));
        if (child == m_children.end())
            continue; // gone from the cache: its bytes are a gap
        if (std::string error = AddChildPieces(child->second, *header, n, pieces); !error.empty())
            return error;
    }
    record.body.cacheFolder = m_dir;
    record.decodedSize.reset();
    return PlaceBodyPieces(std::move(pieces), record.responseHead, record.body);
}

std::string BlockfileReader::AddChildPieces(const EntryStore& child, const blockfile::SparseHeader& parent,
                                            std::uint32_t n, std::vector<BodyPiece>& pieces)
{
    const std::string name = "range child " + std::to_string(n);
    const std::uint32_t controlSize = blockfile::kSparseHeaderSize + blockfile::kChildMapSize;
    std::string control;
    if (child.streamSize[2] < controlSize)
        return name + " has no control data";
    if (std::string error = Read(child.streamAddress[2], controlSize, control); !error.empty())
        return "the control data of " + name + " cannot be read: " + error;
    const std::optional<blockfile::SparseHeader> header = blockfile::ReadSparseHeader(control);
    if (!header || header->signature != parent.signature)
        return {}; // a child of another body of the same key, which Chromium drops: a gap
    const std::vector<blockfile::ChildRun> runs =
        blockfile::ChildRuns(*header, std::string_view(control).substr(blockfile::kSparseHeaderSize));
    if (runs.empty())
        return {};
    const std::uint32_t size = child.streamSize[1];
    const CacheAddress address = child.streamAddress[1];
    const ByteSource* file = nullptr;
    if (runs.back().end > size)
        return name + " holds " + std::to_string(size) + " bytes, fewer than its bitmap says";
    if (std::string error = Locate(address, size, file); !error.empty())
        return "the bytes of " + name + " cannot be read: " + error;
    for (const blockfile::ChildRun& run : runs)
        pieces.push_back({m_dir / address.FileName(), address.Offset() + run.begin,
                          (std::uint64_t(n) << blockfile::kChildEntryBits) + run.begin, run.end - run.begin,
                          std::nullopt});
    return {};
}

BrowserCacheScan BlockfileReader::ScanEntries()
{
    BrowserCacheScan scan;
    scan.format = BrowserCacheFormat::ChromiumBlockfile;
    const OpenedFile& indexFile = File("index");
    const ByteSource* index = indexFile.bytes.get();
    std::string header;
    std::unordered_set<std::uint32_t> seen;
    if (!index && indexFile.error.empty()) {
        const std::vector<CacheAddress> ranked = RankedEntries();
        for (const CacheAddress address : ranked)
            ReadChain(address, seen, scan);
        if (ranked.empty())
            scan.error = "no index in " + m_dir.string() + ", and no entry ranked in data_0 to find the entries by";
        return scan;
    }
    if (!index || !index->ReadAt(0, blockfile::kIndexTableOffset, header)) {
        scan.error = index                     ? "the index is too short"
                     : indexFile.error.empty() ? "no index in " + m_dir.string()
                                               : "the index " + indexFile.error;
        return scan;
    }
    ByteReader reader(header);
    std::uint32_t magic = 0, version = 0, tableLength = 0;
    reader.Le32(magic);
    reader.Le32(version);
    reader.Skip(0x1C - 8);
    reader.Le32(tableLength);
    if (magic != blockfile::kIndexMagic) {
        scan.error = "the index is not a Chromium cache index (wrong magic number)";
        return scan;
    }
    if (std::find(std::begin(blockfile::kKnownVersions), std::end(blockfile::kKnownVersions), version) ==
        std::end(blockfile::kKnownVersions)) {
        scan.error = "unknown index version " + std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF);
        return scan;
    }
    if (tableLength == 0)
        tableLength = blockfile::kDefaultTableLength;
    // Checked before anything is read: a sparse index may claim a table of
    // gigabytes that costs no disk.
    if (tableLength > blockfile::kMaxTableLength) {
        scan.error = "the index claims a hash table of " + std::to_string(tableLength) +
                     " buckets, more than Chromium makes (" + std::to_string(blockfile::kMaxTableLength) + ")";
        return scan;
    }
    std::string table;
    if (!index->ReadAt(blockfile::kIndexTableOffset, std::uint64_t(tableLength) * 4, table)) {
        scan.error = "the index is too short for its hash table of " + std::to_string(tableLength) + " buckets";
        return scan;
    }

    ByteReader buckets(table);
    for (std::uint32_t bucket = 0; bucket < tableLength; ++bucket) {
        CacheAddress address;
        buckets.Le32(address.value);
        ReadChain(address, seen, scan);
    }
    return scan;
}

void BlockfileReader::ReadChain(CacheAddress address, std::unordered_set<std::uint32_t>& seen, BrowserCacheScan& scan)
{
    // A chain that loops or revisits an entry is damage; each entry is read once.
    while (address.IsInitialized() && seen.insert(address.value).second) {
        BrowserCacheRecord record;
        EntryStore entry;
        if (std::string error = ReadEntryStore(address, entry); !error.empty()) {
            record.error = EntryName(address) + ": " + error;
            scan.records.push_back(std::move(record));
            return;
        }
        if (entry.state == kEntryInUse && (entry.flags & blockfile::kChildEntry)) {
            // Part of a sparse body, listed as its parent's.
            std::string key;
            if (ReadKey(entry, key).empty()) {
                entry.inlineKey.clear();
                m_children.emplace(std::move(key), entry);
            }
        } else if (entry.state == kEntryInUse) {
            try {
                record.error = ReadRecord(entry, record);
            } catch (const std::bad_alloc&) {
                record.error = "too large to read (out of memory)"; // this entry's damage only
            }
            if (!record.error.empty()) {
                record.error = (record.key.empty() ? EntryName(address) : record.key) + ": " + record.error;
                record.body = BodyLocation{};
            }
            ReadRankings(entry.rankings, record);
            if ((entry.flags & blockfile::kParentEntry) && record.error.empty()) {
                entry.inlineKey.clear();
                m_parents.emplace_back(scan.records.size(), entry);
            }
            scan.records.push_back(std::move(record));
        }
        address = entry.next;
    }
}

std::vector<CacheAddress> BlockfileReader::RankedEntries()
{
    std::vector<CacheAddress> entries;
    const OpenedFile& rankings = File("data_0");
    std::string header, nodes;
    if (!rankings.bytes || rankings.blockSize != blockfile::kRankingsSize ||
        !rankings.bytes->ReadAt(0, blockfile::kBlockFileHeaderSize, header))
        return entries;
    const std::uint64_t blocks = std::min<std::uint64_t>(
        (rankings.bytes->Size() - blockfile::kBlockFileHeaderSize) / blockfile::kRankingsSize, blockfile::kMaxBlocks);
    if (!rankings.bytes->ReadAt(blockfile::kBlockFileHeaderSize, blocks * blockfile::kRankingsSize, nodes))
        return entries;
    for (std::uint64_t n = 0; n < blocks; ++n) {
        const auto map = static_cast<unsigned char>(header[blockfile::kAllocationMapOffset + n / 8]);
        CacheAddress contents;
        ByteReader node(std::string_view(nodes).substr(n * blockfile::kRankingsSize, blockfile::kRankingsSize));
        if ((map >> (n % 8) & 1) && node.Skip(blockfile::kRankingsContentsOffset) && node.Le32(contents.value) &&
            contents.IsInitialized())
            entries.push_back(contents);
    }
    return entries;
}

} // namespace

BrowserCacheScan ScanChromiumBlockfileFiles(const std::filesystem::path& cacheDir, const OpenCacheFile& open)
{
    return BlockfileReader(cacheDir, open).Scan();
}

BrowserCacheScan ScanChromiumBlockfileCache(const std::filesystem::path& cacheDir)
{
    const OpenedCacheFolder folder(cacheDir);
    return ScanChromiumBlockfileFiles(cacheDir, [&](const std::string& name, std::string& error)
                                                    -> std::unique_ptr<ByteSource> {
        auto file = std::make_unique<FileBytes>(folder, cacheDir / name);
        if (!file->IsOpen()) {
            if (!file->Missing())
                error = file->Error();
            return nullptr;
        }
        return file;
    });
}

} // namespace larkspool::browsercache
