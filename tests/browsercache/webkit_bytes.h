// WebKit network cache records laid out as WebKit writes them, in the
// encodings its storage versions used: for the reader's tests and the
// fuzzer's seeds. The hashes stand in for WebKit's salted SHA-1s: only the
// key's and the partition's must match the names of the record's file and
// folder.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace larkspool::testing {

// What changed between the storage versions that kept the record layout.
struct WebKitEra {
    std::uint32_t version = 17;
    bool microsecondTime = false; // the time as i64 microseconds (older records), not f64 seconds
    bool wideStatus = false;      // the status code as i32 (older records, Safari's), not i16
    std::string certificate = std::string(24, '\0'); // what follows the status code, skipped by the reader
};

struct WebKitItem {
    std::string url;
    std::string partition;  // "" where the program keeps no partitions
    int status = 200;
    std::string statusText = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool inlineBody = true; // else in <key hash>-blob and Blobs/<body hash>
    bool wideStrings = false; // the strings in UTF-16, as WebKit keeps one outside Latin-1
    double seconds = 1796911437.25;
};

inline std::string WebKitLe(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

inline std::string WebKitString(const std::string& text, bool wide = false)
{
    if (!wide)
        return WebKitLe(text.size(), 4) + '\1' + text;
    std::string units; // ASCII text only: each byte one UTF-16 unit
    for (const char c : text)
        units += std::string{c, '\0'};
    return WebKitLe(text.size(), 4) + '\0' + units;
}

// Twenty bytes made from text, standing for its SHA-1.
inline std::string WebKitHash(const std::string& text)
{
    std::string hash(20, '\0');
    std::uint32_t state = 2166136261u;
    for (std::size_t i = 0; i < 20; ++i) {
        for (const char c : text)
            state = (state ^ std::uint8_t(c)) * 16777619u;
        state = (state ^ std::uint32_t(i)) * 16777619u;
        hash[i] = char(state >> 13);
    }
    return hash;
}

inline std::string WebKitHex(const std::string& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char byte : bytes)
        out += std::string{kDigits[std::uint8_t(byte) >> 4], kDigits[std::uint8_t(byte) & 0xF]};
    return out;
}

inline std::string WebKitHead(const WebKitItem& item, const WebKitEra& era)
{
    const bool w = item.wideStrings;
    std::string head = std::string(1, '\0') + WebKitString(item.url, w) + WebKitString("text/html", w) +
                       WebKitLe(item.body.size(), 8) + WebKitString("", w) + WebKitString(item.statusText, w) +
                       WebKitString("HTTP/1.1", w) + WebKitLe(item.headers.size(), 8);
    for (const auto& [name, value] : item.headers)
        head += WebKitString(name, w) + WebKitString(value, w);
    head += WebKitLe(std::uint32_t(item.status), era.wideStatus ? 4 : 2) + era.certificate;
    // The entry's own fields: no varying headers, no redirect request, its checksum.
    return head + std::string(2, '\0') + WebKitHash(head);
}

inline std::string WebKitRecordBytes(const WebKitItem& item, const WebKitEra& era = {})
{
    std::uint64_t time = 0;
    if (era.microsecondTime) {
        time = std::uint64_t(item.seconds * 1e6);
    } else {
        std::memcpy(&time, &item.seconds, sizeof time);
    }
    const std::string head = WebKitHead(item, era);
    std::string meta = WebKitLe(era.version, 4) + WebKitString(item.partition) + WebKitString("Resource") +
                       WebKitString(item.url) + WebKitLe(0xffffffff, 4) + WebKitHash(item.partition + item.url) +
                       WebKitHash(item.partition) + WebKitLe(time, 8) + WebKitHash(head) + WebKitLe(head.size(), 8) +
                       WebKitHash(item.body) + WebKitLe(item.body.size(), 8) + char(item.inlineBody ? 1 : 0);
    meta += WebKitHash(meta);
    return meta + head + (item.inlineBody ? item.body : std::string());
}

// Records/<partition hash>/Resource/<key hash>, relative to the version folder.
inline std::filesystem::path WebKitRecordPath(const WebKitItem& item)
{
    return std::filesystem::path("Records") / WebKitHex(WebKitHash(item.partition)) / "Resource" /
           WebKitHex(WebKitHash(item.partition + item.url));
}

inline void WebKitWriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Writes the records (and the blobs, hard-linked as WebKit does) into the
// version folder, with its salt; returns each record's file.
inline std::vector<std::filesystem::path> WriteWebKitVersion(const std::filesystem::path& versionFolder,
                                                             const std::vector<WebKitItem>& items,
                                                             const WebKitEra& era = {})
{
    namespace fs = std::filesystem;
    WebKitWriteFile(versionFolder / "salt", "saltsalt");
    std::vector<fs::path> files;
    for (const WebKitItem& item : items) {
        const fs::path record = versionFolder / WebKitRecordPath(item);
        WebKitWriteFile(record, WebKitRecordBytes(item, era));
        if (!item.inlineBody) {
            const fs::path blob = versionFolder / "Blobs" / WebKitHex(WebKitHash(item.body));
            if (!fs::exists(blob))
                WebKitWriteFile(blob, item.body);
            fs::create_hard_link(blob, record.native() + "-blob");
        }
        files.push_back(record);
    }
    return files;
}

} // namespace larkspool::testing
