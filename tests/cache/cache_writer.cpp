// A child process for the crash and concurrency tests: adds count entries
// under a URL prefix, deleting an earlier one after every deleteEvery adds.
// It prints "added URL" once a commit has returned and "deleting URL" before a
// delete starts, one line each, flushed, so a parent that kills it knows which
// entries must have survived. "hold" runs every call under one lock hold.
//
//   cache_writer FOLDER PREFIX COUNT DELETE_EVERY [nofiles] [hold]
#include "cache/index_dat_cache.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: cache_writer FOLDER PREFIX COUNT DELETE_EVERY [nofiles] [hold]\n");
        return 2;
    }
    larkspool::IndexDatCache cache{std::filesystem::path(argv[1])};
    const std::string prefix = argv[2];
    const long count = std::atol(argv[3]);
    const long deleteEvery = std::atol(argv[4]);
    bool withFiles = true;
    std::optional<larkspool::CacheLockHold> hold;
    for (int i = 5; i < argc; ++i) {
        if (std::string(argv[i]) == "nofiles")
            withFiles = false;
        else if (std::string(argv[i]) == "hold")
            hold.emplace(cache);
    }

    const auto url = [&](long i) { return prefix + std::to_string(i % 13) + "/dir/page" + std::to_string(i) + ".htm"; };
    for (long i = 0; i < count; ++i) {
        const std::string name = url(i);
        char path[MAX_PATH] = {};
        if (withFiles) {
            if (!cache.CreateUrlCacheEntryA(name.c_str(), 0, "htm", path, 0)) {
                std::fprintf(stderr, "create failed: %u\n", unsigned(cache.LastError()));
                return 1;
            }
            std::ofstream(path, std::ios::binary) << "<html>" << name << "</html>";
        }
        const FILETIME modified{DWORD(i), 0x01D0DF25};
        if (!cache.CommitUrlCacheEntryA(name.c_str(), withFiles ? path : nullptr, FILETIME{}, modified, 0, nullptr, 0,
                                        "htm", nullptr)) {
            std::fprintf(stderr, "commit failed: %u\n", unsigned(cache.LastError()));
            return 1;
        }
        std::printf("added %s\n", name.c_str());
        std::fflush(stdout);
        if (deleteEvery > 0 && i % deleteEvery == deleteEvery - 1) {
            const std::string victim = url(i / 2);
            std::printf("deleting %s\n", victim.c_str());
            std::fflush(stdout);
            cache.DeleteUrlCacheEntryA(victim.c_str());
        }
    }
    return 0;
}
