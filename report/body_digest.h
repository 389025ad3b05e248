// The SHA-256 of a body, read once from a stream in pieces: a large body
// costs no copy of itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace larkspool {

struct BodyDigest {
    std::string sha256;      // lower-case hex; empty when the stream failed
    std::uint64_t bytes = 0; // read before the end or the failure
    std::string error;       // not empty: why the stream could not be read to its end
};

// Each piece of the body as it is read, for a caller that keeps it.
using BodySink = std::function<void(const char* data, std::size_t size)>;

// Reads stream to its end; the caller keeps and closes it. nullptr: the
// digest of no bytes (a body stored empty).
BodyDigest DigestStream(std::FILE* stream, const BodySink& sink = {});

} // namespace larkspool
