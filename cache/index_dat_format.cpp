// Decoding and encoding of index.dat records and the small conversions its
// fields need: WinINet's hash key, DOS date/time stamps, and bounds-checked
// record parsing.
#include "cache/index_dat_format.h"

#include "cache/civil_date.h"
#include "cache/file_time.h"

#include <algorithm>
#include <utility>

namespace larkspool::indexdat {
namespace {

// The permutation WinINet's cache hash runs every byte through.
constexpr std::array<std::uint8_t, 256> kHashTable = {
    0x01, 0x0E, 0x6E, 0x19, 0x61, 0xAE, 0x84, 0x77, 0x8A, 0xAA, 0x7D, 0x76, 0x1B, 0xE9, 0x8C, 0x33,
    0x57, 0xC5, 0xB1, 0x6B, 0xEA, 0xA9, 0x38, 0x44, 0x1E, 0x07, 0xAD, 0x49, 0xBC, 0x28, 0x24, 0x41,
    0x31, 0xD5, 0x68, 0xBE, 0x39, 0xD3, 0x94, 0xDF, 0x30, 0x73, 0x0F, 0x02, 0x43, 0xBA, 0xD2, 0x1C,
    0x0C, 0xB5, 0x67, 0x46, 0x16, 0x3A, 0x4B, 0x4E, 0xB7, 0xA7, 0xEE, 0x9D, 0x7C, 0x93, 0xAC, 0x90,
    0xB0, 0xA1, 0x8D, 0x56, 0x3C, 0x42, 0x80, 0x53, 0x9C, 0xF1, 0x4F, 0x2E, 0xA8, 0xC6, 0x29, 0xFE,
    0xB2, 0x55, 0xFD, 0xED, 0xFA, 0x9A, 0x85, 0x58, 0x23, 0xCE, 0x5F, 0x74, 0xFC, 0xC0, 0x36, 0xDD,
    0x66, 0xDA, 0xFF, 0xF0, 0x52, 0x6A, 0x9E, 0xC9, 0x3D, 0x03, 0x59, 0x09, 0x2A, 0x9B, 0x9F, 0x5D,
    0xA6, 0x50, 0x32, 0x22, 0xAF, 0xC3, 0x64, 0x63, 0x1A, 0x96, 0x10, 0x91, 0x04, 0x21, 0x08, 0xBD,
    0x79, 0x40, 0x4D, 0x48, 0xD0, 0xF5, 0x82, 0x7A, 0x8F, 0x37, 0x69, 0x86, 0x1D, 0xA4, 0xB9, 0xC2,
    0xC1, 0xEF, 0x65, 0xF2, 0x05, 0xAB, 0x7E, 0x0B, 0x4A, 0x3B, 0x89, 0xE4, 0x6C, 0xBF, 0xE8, 0x8B,
    0x06, 0x18, 0x51, 0x14, 0x7F, 0x11, 0x5B, 0x5C, 0xFB, 0x97, 0xE1, 0xCF, 0x15, 0x62, 0x71, 0x70,
    0x54, 0xE2, 0x12, 0xD6, 0xC7, 0xBB, 0x0D, 0x20, 0x5E, 0xDC, 0xE0, 0xD4, 0xF7, 0xCC, 0xC4, 0x2B,
    0xF9, 0xEC, 0x2D, 0xF4, 0x6F, 0xB6, 0x99, 0x88, 0x81, 0x5A, 0xD9, 0xCA, 0x13, 0xA5, 0xE7, 0x47,
    0xE6, 0x8E, 0x60, 0xE3, 0x3E, 0xB3, 0xF6, 0x72, 0xA2, 0x35, 0xA0, 0xD7, 0xCD, 0xB4, 0x2F, 0x6D,
    0x2C, 0x26, 0x1F, 0x95, 0x87, 0x00, 0xD8, 0x34, 0x3F, 0x17, 0x25, 0x45, 0x27, 0x75, 0x92, 0xB8,
    0xA3, 0xC8, 0xDE, 0xEB, 0xF8, 0xF3, 0xDB, 0x0A, 0x98, 0x83, 0x7B, 0xE5, 0xCB, 0x4C, 0x78, 0xD1,
};


// The string at offset in record, at or past its fixed fields and
// NUL-terminated inside it.
std::optional<std::string_view> StringAt(std::span<const std::uint8_t> record, std::uint32_t offset,
                                         std::uint32_t fixedSize = kUrlFixedSize)
{
    if (offset < fixedSize || offset >= record.size())
        return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(record.data()) + offset;
    const std::string_view rest(begin, record.size() - offset);
    const std::size_t nul = rest.find('\0');
    if (nul == std::string_view::npos)
        return std::nullopt;
    return rest.substr(0, nul);
}

// The bytes of the record at offset when its signature is signature and its
// blocks, at least fixedSize bytes, lie inside the file; empty otherwise.
std::span<const std::uint8_t> RecordBytes(std::span<const std::uint8_t> file, std::uint32_t offset,
                                          std::uint32_t signature, std::uint32_t fixedSize = kUrlFixedSize)
{
    if (offset < kBlocksStart || offset % kBlockSize != 0 || std::uint64_t(offset) + fixedSize > file.size())
        return {};
    const std::uint8_t* p = file.data() + offset;
    if (Load32(p) != signature)
        return {};
    const std::uint64_t length = std::uint64_t(Load32(p + 4)) * kBlockSize;
    if (length < fixedSize || offset + length > file.size())
        return {};
    return file.subspan(offset, std::size_t(length));
}

std::span<const std::uint8_t> UrlRecordBytes(std::span<const std::uint8_t> file, std::uint32_t offset)
{
    return RecordBytes(file, offset, kUrlSignature);
}

std::optional<std::string> OptionalString(std::span<const std::uint8_t> record, std::uint32_t field, bool& damaged,
                                          std::uint32_t& used)
{
    const std::uint32_t at = Load32(record.data() + field);
    if (at == 0)
        return std::nullopt;
    const auto text = StringAt(record, at);
    if (!text) {
        damaged = true;
        return std::nullopt;
    }
    used = std::max(used, at + std::uint32_t(text->size()) + 1);
    return std::string(*text);
}

// The URL and LEAK records share one layout.
std::optional<UrlRecord> ParseUrlLayout(std::span<const std::uint8_t> record, std::uint32_t offset)
{
    if (record.empty())
        return std::nullopt;
    const std::uint8_t* p = record.data();
    const auto url = StringAt(record, Load32(p + kUrlUrlOffset));
    if (!url)
        return std::nullopt;

    UrlRecord r;
    r.signature = Load32(p);
    r.offset = offset;
    r.blocks = Load32(p + 4);
    r.modified = Load64(p + kUrlModifiedOffset);
    r.accessed = Load64(p + kUrlAccessOffset);
    r.expireDos = Load32(p + kUrlExpireOffset);
    r.fileSize = Load64(p + kUrlSizeOffset);
    r.exemptDelta = Load32(p + kUrlExemptOffset);
    r.folder = p[kUrlFolderOffset];
    r.entryType = Load32(p + kUrlTypeOffset);
    r.syncDos = Load32(p + kUrlSyncOffset);
    r.hitRate = Load32(p + kUrlHitRateOffset);
    r.useCount = Load32(p + kUrlUseCountOffset);
    r.writeStampDos = Load32(p + kUrlWriteStampOffset);
    r.url = std::string(*url);
    r.usedBytes = Load32(p + kUrlUrlOffset) + std::uint32_t(url->size()) + 1;

    bool damaged = false;
    r.fileName = OptionalString(record, kUrlFileNameOffset, damaged, r.usedBytes);
    r.extension = OptionalString(record, kUrlExtensionOffset, damaged, r.usedBytes);
    const std::uint32_t headerAt = Load32(p + kUrlHeaderOffset);
    const std::uint32_t headerSize = Load32(p + kUrlHeaderSizeOffset);
    if (headerAt != 0) {
        if (headerAt < kUrlFixedSize || std::uint64_t(headerAt) + headerSize > record.size())
            damaged = true;
        else
            r.headerInfo = std::string(reinterpret_cast<const char*>(p) + headerAt, headerSize);
        r.usedBytes = std::max(r.usedBytes, headerAt + headerSize);
    }
    if (damaged)
        return std::nullopt;
    return r;
}

} // namespace

std::uint32_t HashKey(std::string_view url)
{
    std::array<std::uint8_t, 4> key{};
    const std::uint8_t first = url.empty() ? 0 : std::uint8_t(url[0]);
    for (unsigned i = 0; i < key.size(); ++i)
        key[i] = kHashTable[(first + i) & 0xFF];
    for (std::size_t n = 1; n < url.size(); ++n) {
        for (auto& k : key)
            k = kHashTable[std::uint8_t(url[n]) ^ k];
    }
    return Load32(key.data());
}

std::optional<std::string_view> RecordUrl(std::span<const std::uint8_t> file, std::uint32_t offset)
{
    const auto record = UrlRecordBytes(file, offset);
    if (record.empty())
        return std::nullopt;
    return StringAt(record, Load32(record.data() + kUrlUrlOffset));
}

std::optional<UrlRecord> ParseUrlRecord(std::span<const std::uint8_t> file, std::uint32_t offset)
{
    return ParseUrlLayout(UrlRecordBytes(file, offset), offset);
}

std::vector<std::uint8_t> EncodeUrlRecord(const UrlRecord& r)
{
    const auto textSize = [](const std::string& text) { return std::uint32_t(text.size()) + 1; };
    std::uint32_t end = Align4(kUrlFixedSize + textSize(r.url));
    const auto place = [&end](std::uint32_t size) { return std::exchange(end, Align4(end + size)); };
    const std::uint32_t fileNameAt = r.fileName ? place(textSize(*r.fileName)) : 0;
    const std::uint32_t headerAt = r.headerInfo ? place(std::uint32_t(r.headerInfo->size())) : 0;
    const std::uint32_t extensionAt = r.extension ? place(textSize(*r.extension)) : 0;
    const std::uint32_t size = (end + kBlockSize - 1) / kBlockSize * kBlockSize;

    std::vector<std::uint8_t> record(size, 0);
    std::uint8_t* p = record.data();
    const auto put = [p](std::uint32_t at, std::string_view bytes) { std::copy(bytes.begin(), bytes.end(), p + at); };
    Store32(p, kUrlSignature);
    Store32(p + 4, size / kBlockSize);
    Store64(p + kUrlModifiedOffset, r.modified);
    Store64(p + kUrlAccessOffset, r.accessed);
    Store32(p + kUrlExpireOffset, r.expireDos);
    Store64(p + kUrlSizeOffset, r.fileSize);
    Store32(p + kUrlExemptOffset, r.exemptDelta);
    Store32(p + kUrlUnknown60Offset, kUnknownField60);
    Store32(p + kUrlUrlOffset, kUrlFixedSize);
    p[kUrlFolderOffset] = r.folder;
    Store16(p + kUrlUnknown1010Offset, kUnknownField1010);
    Store32(p + kUrlFileNameOffset, fileNameAt);
    Store32(p + kUrlTypeOffset, r.entryType);
    Store32(p + kUrlHeaderOffset, headerAt);
    Store32(p + kUrlHeaderSizeOffset, r.headerInfo ? std::uint32_t(r.headerInfo->size()) : 0);
    Store32(p + kUrlExtensionOffset, extensionAt);
    Store32(p + kUrlSyncOffset, r.syncDos);
    Store32(p + kUrlHitRateOffset, r.hitRate);
    Store32(p + kUrlUseCountOffset, r.useCount);
    Store32(p + kUrlWriteStampOffset, r.writeStampDos);
    put(kUrlFixedSize, r.url);
    if (r.fileName)
        put(fileNameAt, *r.fileName);
    if (r.headerInfo)
        put(headerAt, *r.headerInfo);
    if (r.extension)
        put(extensionAt, *r.extension);
    return record;
}

std::optional<UrlRecord> ParseAnyRecord(std::span<const std::uint8_t> file, std::uint32_t offset)
{
    if (std::uint64_t(offset) + 4 > file.size())
        return std::nullopt;
    const std::uint32_t signature = Load32(file.data() + offset);
    if (signature == kUrlSignature || signature == kLeakSignature)
        return ParseUrlLayout(RecordBytes(file, offset, signature), offset);
    return ParseRedirectRecord(file, offset);
}

std::optional<UrlRecord> ParseRedirectRecord(std::span<const std::uint8_t> file, std::uint32_t offset)
{
    const auto record = RecordBytes(file, offset, kRedrSignature, kRedrUrlOffset);
    const auto url = record.empty() ? std::nullopt : StringAt(record, kRedrUrlOffset, kRedrUrlOffset);
    if (!url)
        return std::nullopt;
    UrlRecord r;
    r.signature = kRedrSignature;
    r.offset = offset;
    r.blocks = Load32(record.data() + 4);
    r.url = std::string(*url);
    r.usedBytes = kRedrUrlOffset + std::uint32_t(url->size()) + 1;
    return r;
}

std::uint32_t FileTimeToDos(std::uint64_t fileTime)
{
    if (fileTime == 0)
        return 0;
    const std::int64_t unixSeconds = std::int64_t(fileTime / kTicksPerSecond) - kUnixEpochSeconds;
    const std::int64_t days = unixSeconds >= 0 ? unixSeconds / 86400 : (unixSeconds - 86399) / 86400;
    const std::int64_t secondsOfDay = unixSeconds - days * 86400;
    const auto [year, month, day] = CivilFromDays(days);
    if (year < 1980 || year > 2107)
        return 0;
    const auto date = std::uint32_t((year - 1980) << 9 | month << 5 | day);
    const auto hour = std::uint32_t(secondsOfDay / 3600);
    const auto minute = std::uint32_t(secondsOfDay / 60 % 60);
    const auto second = std::uint32_t(secondsOfDay % 60);
    const std::uint32_t time = hour << 11 | minute << 5 | second / 2;
    return date | time << 16;
}

std::uint64_t DosToFileTime(std::uint32_t dos)
{
    if (dos == 0)
        return 0;
    const std::uint32_t date = dos & 0xFFFF;
    const std::uint32_t time = dos >> 16;
    const std::int64_t year = 1980 + (date >> 9);
    const unsigned month = (date >> 5) & 15;
    const unsigned day = date & 31;
    if (month < 1 || month > 12 || day < 1)
        return 0;
    const std::int64_t seconds = DaysFromCivil(year, month, day) * 86400 + (time >> 11) * 3600 +
                                 ((time >> 5) & 63) * 60 + (time & 31) * 2;
    return std::uint64_t(seconds + kUnixEpochSeconds) * kTicksPerSecond;
}

} // namespace larkspool::indexdat
