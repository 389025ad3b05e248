// Listing the entry files of a cache folder.
#include "browsercache/entry_file.h"

#include "browsercache/body_decoding.h"
#include "browsercache/http_response_head.h"

#include <algorithm>

namespace larkspool::browsercache {

std::vector<std::filesystem::path> ListEntryFiles(const std::filesystem::path& folder, std::string& error)
{
    std::vector<std::filesystem::path> files;
    std::error_code listing;
    for (std::filesystem::directory_iterator it(folder, listing), end; !listing && it != end; it.increment(listing)) {
        // One entry that cannot be looked at is not a reason to stop listing.
        std::error_code ignored;
        if (it->is_regular_file(ignored))
            files.push_back(it->path());
    }
    if (listing) {
        error = "cannot list " + folder.string() + ": " + listing.message();
        return {};
    }
    // All in one folder: their whole strings order as their names do, and
    // compare much faster than paths element by element.
    std::sort(files.begin(), files.end(),
              [](const std::filesystem::path& a, const std::filesystem::path& b) { return a.native() < b.native(); });
    return files;
}

void CountDecodedSize(const ByteSource& bytes, BrowserCacheRecord& record)
{
    const BodyLocation& body = record.body;
    const std::optional<std::string_view> whole = bytes.Whole();
    if (!whole || !bytes.Contains(body.offset, body.length))
        return;
    const std::string encoding = HeaderValue(record.responseHead, "Content-Encoding").value_or("");
    if (!NeedsDecoding(encoding)) {
        record.decodedSize = DecodedSize{body.length};
        return;
    }
    BodyDecoder decoder(whole->substr(std::size_t(body.offset), std::size_t(body.length)),
                        body.hasCrc32 ? std::optional(body.crc32) : std::nullopt, encoding);
    DecodedSize counted;
    if (CountDecodedBytes(decoder, kListedDecodeLimit, counted).empty())
        record.decodedSize = counted;
}

} // namespace larkspool::browsercache
