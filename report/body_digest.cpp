// The body read 64 KiB at a time.
#include "report/body_digest.h"

#include "archive/sha256.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace larkspool {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

} // namespace

BodyDigest DigestStream(std::FILE* stream, const BodySink& sink)
{
    BodyDigest digest;
    archive::Sha256 hash;
    // Not zeroed: only what fread gives is read.
    const std::unique_ptr<unsigned char[]> piece(new unsigned char[kPieceSize]);
    errno = 0;
    while (stream) {
        const std::size_t count = std::fread(piece.get(), 1, kPieceSize, stream);
        hash.Update(piece.get(), count);
        if (sink && count > 0)
            sink(reinterpret_cast<const char*>(piece.get()), count);
        digest.bytes += count;
        if (count < kPieceSize)
            break;
    }
    if (stream && std::ferror(stream)) {
        digest.error = std::strerror(errno ? errno : EIO);
        return digest;
    }
    digest.sha256 = hash.HexDigest();
    if (digest.sha256.empty())
        digest.error = "SHA-256 failed";
    return digest;
}

} // namespace larkspool
