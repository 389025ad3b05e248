// A copied home holding two browsers' caches, a Chromium simple cache and a
// Firefox cache2, for the tests of several caches opened as one. Both hold
// http://both.example/same.html, Firefox's copy the newer.
#pragma once

#include "tests/browsercache/chromium_bytes.h"
#include "tests/browsercache/firefox_entry_bytes.h"
#include "tests/support/files.h"

#include <filesystem>
#include <string>

namespace larkspool::testing {

// The tree nodes of the two caches, named by kind and folder below the home.
inline constexpr const char* kChromiumMember = "Chromium Cache (chromium/Default/Cache/Cache_Data)";
inline constexpr const char* kFirefoxMember = "Firefox Cache (mozilla/profile/cache2)";

struct CachedPage {
    std::string url;
    std::string body;
    std::string lastModified; // an HTTP date
};

inline const CachedPage kChromiumPages[] = {
    {"http://c.example/only.html", "chromium only", "Mon, 02 Jan 2023 10:00:00 GMT"},
    {"http://both.example/same.html", "older, from chromium", "Wed, 01 Jan 2020 10:00:00 GMT"},
};
inline const CachedPage kFirefoxPages[] = {
    {"http://f.example/only.html", "firefox only", "Mon, 02 Jan 2023 10:00:00 GMT"},
    {"http://both.example/same.html", "newer, from firefox", "Fri, 01 Jan 2021 10:00:00 GMT"},
};

inline void WriteTwoBrowserCaches(const std::filesystem::path& home)
{
    const std::filesystem::path chromium = home / "chromium/Default/Cache/Cache_Data";
    WriteFile(chromium / "index", std::string(24, '\0'));
    int n = 0;
    for (const CachedPage& page : kChromiumPages) {
        SimpleEntry entry;
        entry.key = "1/0/_dk_http://h http://h " + page.url;
        entry.body = page.body;
        entry.record = ResponseRecord(0x80000003u, std::string("HTTP/1.1 200 OK\0Content-Type: text/html\0", 40) +
                                                       "Last-Modified: " + page.lastModified + std::string(2, '\0'));
        WriteFile(chromium / ("000000000000000" + std::to_string(++n) + "_0"), entry.Bytes());
    }
    const std::filesystem::path firefox = home / "mozilla/profile/cache2";
    for (const CachedPage& page : kFirefoxPages) {
        FirefoxEntry entry;
        entry.key = "a,:" + page.url;
        entry.body = page.body;
        entry.elements = std::string("request-method\0GET\0response-head\0", 33) +
                         "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nLast-Modified: " + page.lastModified +
                         "\r\n" + std::string(1, '\0');
        WriteFile(firefox / "entries" / (std::string(39, 'A') + std::to_string(++n)), entry.Bytes());
    }
}

} // namespace larkspool::testing
