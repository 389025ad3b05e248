// The Content-Encodings a browser keeps bodies in, undone: gzip, deflate, br
// and zstd, in any chain ("gzip, br"), as a stream so that a large body is
// never held in memory.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Takes the next piece of decoded bytes; false stops the decoding.
using ByteSink = std::function<bool(const char* bytes, std::size_t count)>;

// The decoded bytes of one stored body, a stored piece at a time, so that a
// reader that wants only the start (a page's title) decodes only the start.
class BodyDecoder {
public:
    // Decodes the stored bytes at body.
    BodyDecoder(const BodyLocation& body, std::string_view contentEncoding);
    // Decodes stored bytes the caller keeps alive meanwhile; crc32, when
    // given, is checked at the end.
    BodyDecoder(std::string_view stored, std::optional<std::uint32_t> crc32, std::string_view contentEncoding);
    ~BodyDecoder();
    BodyDecoder(const BodyDecoder&) = delete;
    BodyDecoder& operator=(const BodyDecoder&) = delete;

    // Reads the next stored piece and hands what it decodes to to sink
    // (possibly nothing). False once the body is done or has failed: then
    // Error() is "" for a whole body, else why not in one line.
    bool Next(const ByteSink& sink);
    const std::string& Error() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Reads the stored bytes at body and hands the decoded ones to sink, undoing
// contentEncoding (the header's value; empty or "identity" for none). The
// stored bytes are checked against the body's CRC-32 when it has one; the
// sink may have had bytes by the time a mismatch is found.
// Returns "" when the whole body was decoded, else why not in one line.
std::string DecodeBody(const BodyLocation& body, std::string_view contentEncoding, const ByteSink& sink);

// Decodes what is left of the body only to count its bytes, stopping once
// more than limit are counted (size.bytes is then limit and the rest is
// neither decoded nor checked). Returns "" when the body was whole as far as
// it was decoded, else why not in one line.
std::string CountDecodedBytes(BodyDecoder& decoder, std::uint64_t limit, DecodedSize& size);

// Why a stored body that does not match its CRC-32 is refused.
inline constexpr const char* kBodyChecksumMismatch = "the body's checksum does not match: the entry is damaged";

// False when contentEncoding names no coding (empty, "identity"): the stored
// bytes are the body.
bool NeedsDecoding(std::string_view contentEncoding);

} // namespace larkspool::browsercache
