// SHA-256 through libcrypto's digest interface, 64 KiB at a time.
#include "report/body_digest.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace larkspool {
namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

constexpr std::size_t kPieceSize = 64 * 1024;

} // namespace

BodyDigest DigestStream(std::FILE* stream)
{
    BodyDigest digest;
    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        digest.error = "SHA-256 is not available";
        return digest;
    }
    std::vector<unsigned char> piece(kPieceSize);
    errno = 0;
    while (stream) {
        const std::size_t count = std::fread(piece.data(), 1, piece.size(), stream);
        if (count > 0 && EVP_DigestUpdate(context.get(), piece.data(), count) != 1) {
            digest.error = "SHA-256 failed";
            return digest;
        }
        digest.bytes += count;
        if (count < piece.size())
            break;
    }
    if (stream && std::ferror(stream)) {
        digest.error = std::strerror(errno ? errno : EIO);
        return digest;
    }
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), value, &length) != 1) {
        digest.error = "SHA-256 failed";
        return digest;
    }
    constexpr char kHex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < length; ++i) {
        digest.sha256 += kHex[value[i] >> 4];
        digest.sha256 += kHex[value[i] & 15];
    }
    return digest;
}

} // namespace larkspool
