// Feeds arbitrary bytes to the body decoder as a stored body: the first byte
// picks the Content-Encoding chain, the second whether a CRC-32 is checked
// (and whether it matches), the rest are the stored bytes. A first byte of
// 0x80 or more takes the Content-Encoding header itself from the input:
// the bytes up to the first newline after the second byte.
#include "browsercache/body_decoding.h"
#include "browsercache/crc32.h"

#include <cstdint>
#include <iterator>

namespace {

constexpr const char* kEncodings[] = {"", "identity", "gzip", "deflate", "br", "zstd", "gzip, br", "x-gzip, zstd"};
// Output past this is refused by the sink: a small input may decode to
// gigabytes, and the decoder must stop cleanly when its sink stops.
constexpr std::size_t kMaxOutput = 16 * 1024 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    if (size < 2)
        return 0;
    std::string_view encoding = kEncodings[data[0] % std::size(kEncodings)];
    std::string_view stored(reinterpret_cast<const char*>(data + 2), size - 2);
    if (data[0] & 0x80) {
        const std::size_t newline = stored.find('\n');
        encoding = stored.substr(0, newline);
        stored.remove_prefix(newline == std::string_view::npos ? stored.size() : newline + 1);
    }
    std::optional<std::uint32_t> crc;
    if (data[1] & 1)
        crc = Crc32(stored) ^ (data[1] >> 1);
    std::string decoded;
    BodyDecoder decoder(stored, crc, encoding);
    while (decoder.Next([&decoded](const char* bytes, std::size_t count) {
        if (count > kMaxOutput - decoded.size())
            return false;
        decoded.append(bytes, count);
        return true;
    })) {
    }
    // With nothing to undo the body is the stored bytes, whole or refused.
    if (!NeedsDecoding(encoding) && decoder.Error().empty() && decoded != stored)
        __builtin_trap();
    return 0;
}
