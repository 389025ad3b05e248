// Writes arbitrary bytes as a folder of Firefox's first cache (its map and
// block files, and separate files in their hexadecimal sub-folders, split as
// blockfile_fuzz_input.h says) and reads the folder as a listing does: a
// missing or short map has the separate files listed and searched too. A
// separate file may be a link out of the folder, which nothing may be read
// through.
#include "browsercache/firefox_cache1.h"
#include "browsercache/firefox_cache1_format.h"
#include "fuzz/blockfile_fuzz_input.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace larkspool::fuzzing;

// One scratch folder per process, emptied for every input and removed at exit.
struct ScratchFolder {
    ScratchFolder()
    {
        char pattern[] = "/tmp/firefox_cache1_fuzz_XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const std::filesystem::path& Scratch()
{
    static const ScratchFolder folder;
    return folder.path;
}

void Write(const std::filesystem::path& file, std::string_view bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    const std::filesystem::path cache = Scratch() / "cache";
    const std::filesystem::path outside = Scratch() / "outside";
    std::filesystem::remove_all(cache);
    std::filesystem::remove_all(outside);
    std::filesystem::create_directories(cache);

    std::string_view rest;
    for (const auto& [name, bytes] :
         SplitBlockfileInput({reinterpret_cast<const char*>(data), size}, kFirefoxCache1Names, &rest))
        if (!bytes.empty())
            Write(cache / name, bytes);
    const std::vector<SeparateFileInput> separate = SplitSeparateFiles(rest);
    for (std::size_t i = 0; i < separate.size(); ++i) {
        const SeparateFileInput& file = separate[i];
        std::string name = cache1::SeparateFileName(file.hash, file.flags & kSeparateData, (file.flags >> 1) & 3);
        if (file.flags & kSeparateOddName)
            for (char& c : name)
                c = char(std::tolower(static_cast<unsigned char>(c)));
        if (file.flags & kSeparateLink) {
            const std::filesystem::path target = outside / std::to_string(i);
            Write(target, file.bytes);
            std::filesystem::create_directories((cache / name).parent_path());
            std::error_code taken; // two inputs may name one file
            std::filesystem::create_symlink(target, cache / name, taken);
        } else {
            Write(cache / name, file.bytes);
        }
    }

    for (const BrowserCacheRecord& record : ScanFirefoxCache1(cache).records) {
        if (!record.error.empty() || record.body.length == 0)
            continue;
        // A body the reader vouched for lies inside a plain file of the cache.
        std::error_code error;
        const auto [inCache, _] = std::mismatch(cache.begin(), cache.end(), record.body.file.begin(),
                                                record.body.file.end());
        if (inCache != cache.end() ||
            std::filesystem::symlink_status(record.body.file, error).type() != std::filesystem::file_type::regular)
            __builtin_trap();
        const std::uint64_t fileSize = std::filesystem::file_size(record.body.file, error);
        if (error || record.body.offset > fileSize || record.body.length > fileSize - record.body.offset)
            __builtin_trap();
    }
    return 0;
}
