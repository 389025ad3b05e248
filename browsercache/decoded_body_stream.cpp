// glibc's fopencookie over a BodyDecoder: each read decodes stored pieces
// until it has bytes to give.
#include "browsercache/decoded_body_stream.h"

#include "browsercache/body_decoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

namespace larkspool::browsercache {
namespace {

// What one stored piece decodes to is held until read; a piece that
// decodes to more than this is refused rather than held (a body made to
// blow up, not a page).
constexpr std::size_t kMaxPending = 256 * 1024 * 1024;

struct Cookie {
    Cookie(const BodyLocation& body, std::string_view contentEncoding) : decoder(body, contentEncoding) {}
    BodyDecoder decoder;
    std::string pending;
    std::size_t taken = 0;
};

ssize_t ReadDecoded(void* cookie, char* buffer, std::size_t size)
{
    Cookie& state = *static_cast<Cookie*>(cookie);
    while (state.taken == state.pending.size()) {
        state.pending.clear();
        state.taken = 0;
        const bool more = state.decoder.Next([&state](const char* bytes, std::size_t count) {
            if (count > kMaxPending - state.pending.size())
                return false;
            state.pending.append(bytes, count);
            return true;
        });
        if (!more && state.pending.empty()) {
            if (state.decoder.Error().empty())
                return 0;
            errno = EIO;
            return -1;
        }
    }
    const std::size_t count = std::min(size, state.pending.size() - state.taken);
    std::memcpy(buffer, state.pending.data() + state.taken, count);
    state.taken += count;
    return ssize_t(count);
}

int CloseDecoded(void* cookie)
{
    delete static_cast<Cookie*>(cookie);
    return 0;
}

} // namespace

std::FILE* OpenDecodedBody(const BodyLocation& body, std::string_view contentEncoding)
{
    auto cookie = std::make_unique<Cookie>(body, contentEncoding);
    if (!cookie->decoder.Error().empty()) {
        errno = EIO;
        return nullptr;
    }
    std::FILE* stream = fopencookie(cookie.get(), "rb", {ReadDecoded, nullptr, nullptr, CloseDecoded});
    if (stream)
        cookie.release();
    return stream;
}

} // namespace larkspool::browsercache
