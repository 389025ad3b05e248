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
    Cookie(const BodyLocation& body, std::string_view contentEncoding, std::uint64_t maxBytes, StreamFailure onFailure)
        : decoder(body, contentEncoding), left(maxBytes), limit(maxBytes), onFailure(std::move(onFailure))
    {
    }
    BodyDecoder decoder;
    std::string pending;
    std::size_t taken = 0;
    std::uint64_t left; // of the bytes the stream may give
    std::uint64_t limit;
    StreamFailure onFailure;
    bool failed = false;
};

ssize_t Fail(Cookie& state, int error, const std::string& why)
{
    if (!state.failed && state.onFailure)
        state.onFailure(error, why);
    state.failed = true;
    errno = error;
    return -1;
}

ssize_t ReadDecoded(void* cookie, char* buffer, std::size_t size)
{
    Cookie& state = *static_cast<Cookie*>(cookie);
    while (state.taken == state.pending.size()) {
        state.pending.clear();
        state.taken = 0;
        bool tooLarge = false;
        const bool more = state.decoder.Next([&state, &tooLarge](const char* bytes, std::size_t count) {
            tooLarge = count > state.left;
            if (tooLarge || count > kMaxPending - state.pending.size())
                return false;
            state.left -= count;
            state.pending.append(bytes, count);
            return true;
        });
        if (tooLarge)
            return Fail(state, EFBIG, "the body decodes to more than " + std::to_string(state.limit) +
                                          " bytes, the most one body may have");
        if (!more && state.pending.empty()) {
            if (state.decoder.Error().empty())
                return 0;
            return Fail(state, EIO, state.decoder.Error());
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

std::FILE* OpenDecodedBody(const BodyLocation& body, std::string_view contentEncoding, std::uint64_t maxBytes,
                           StreamFailure onFailure)
{
    auto cookie = std::make_unique<Cookie>(body, contentEncoding, maxBytes, std::move(onFailure));
    if (!cookie->decoder.Error().empty()) {
        Fail(*cookie, EIO, cookie->decoder.Error());
        return nullptr;
    }
    std::FILE* stream = fopencookie(cookie.get(), "rb", {ReadDecoded, nullptr, nullptr, CloseDecoded});
    if (stream)
        cookie.release();
    return stream;
}

} // namespace larkspool::browsercache
