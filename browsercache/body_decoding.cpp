// A chain of stream decoders: the stored bytes go into the decoder of the
// last coding applied, whose output goes into the one before, and so on to
// the caller's sink. Each decoder says at its end whether its stream was
// whole, so a truncated body is an error, not a short file.
#include "browsercache/body_decoding.h"

#include "browsercache/body_pieces.h"
#include "browsercache/byte_source.h"
#include "browsercache/crc32.h"
#include "browsercache/http_response_head.h"
#include "base/byte_text.h"

#include <brotli/decode.h>
#include <zlib.h>
#include <zstd.h>

#include <memory>
#include <new>
#include <vector>

namespace larkspool::browsercache {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// kChunk bytes left uncleared: a decoder writes them before they are read,
// and clearing 64 KiB for every small body cost more than decoding it.
class OutputBuffer {
public:
    char* data() { return m_bytes.get(); }
    static constexpr std::size_t size() { return kChunk; }

private:
    std::unique_ptr<char[]> m_bytes = std::make_unique_for_overwrite<char[]>(kChunk);
};

class Decoder {
public:
    virtual ~Decoder() = default;
    // Decodes input; false on damaged input or when the sink stopped.
    virtual bool Feed(const char* input, std::size_t count, const ByteSink& sink) = 0;
    // True when the stream ended where it should.
    virtual bool Finished() const = 0;
};

// gzip (possibly several members), zlib-wrapped or raw deflate.
class InflateDecoder final : public Decoder {
public:
    enum class Wrapper { Gzip, Deflate };
    explicit InflateDecoder(Wrapper wrapper) : m_wrapper(wrapper) {}
    ~InflateDecoder() override
    {
        if (m_started)
            inflateEnd(&m_stream);
    }

    bool Feed(const char* input, std::size_t count, const ByteSink& sink) override
    {
        // A stream's start is told by its first two bytes (zlib header or
        // raw deflate, another gzip member or trailing bytes), and they may
        // come in two pieces: a lone first byte waits for the next.
        if (!m_held.empty() && count > 0) {
            const char start[2] = {m_held[0], input[0]};
            m_held.clear();
            return Feed(start, 2, sink) && Feed(input + 1, count - 1, sink);
        }
        OutputBuffer& out = m_out;
        while (count > 0) {
            if (count == 1 && !m_started) {
                m_held.assign(input, 1);
                return true;
            }
            const bool nextMember = count >= 2 && static_cast<unsigned char>(input[0]) == 0x1f &&
                                    static_cast<unsigned char>(input[1]) == 0x8b;
            if (m_ended && !nextMember)
                return true; // what follows a whole stream is left alone, as browsers do
            if (!m_started && !Start(input, count))
                return false;
            m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
            m_stream.avail_in = uInt(std::min<std::size_t>(count, kChunk));
            const std::size_t offered = m_stream.avail_in;
            int result = Z_OK;
            do {
                m_stream.next_out = reinterpret_cast<Bytef*>(out.data());
                m_stream.avail_out = uInt(out.size());
                result = inflate(&m_stream, Z_NO_FLUSH);
                if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
                    return false;
                const std::size_t produced = out.size() - m_stream.avail_out;
                if (produced > 0 && !sink(out.data(), produced))
                    return false;
            } while (result == Z_OK && m_stream.avail_out == 0);
            const std::size_t used = offered - m_stream.avail_in;
            input += used;
            count -= used;
            m_ended = result == Z_STREAM_END;
            if (m_ended) {
                inflateEnd(&m_stream); // another gzip member may follow
                m_started = false;
            } else if (used == 0) {
                return false;
            }
        }
        return true;
    }

    bool Finished() const override { return m_ended && !m_started; }

private:
    bool Start(const char* input, std::size_t count)
    {
        m_stream = z_stream{};
        int windowBits = 15 + 16; // gzip
        if (m_wrapper == Wrapper::Deflate) {
            // "deflate" should be zlib-wrapped; some servers send it raw.
            const bool zlibHeader = count >= 2 && (static_cast<unsigned char>(input[0]) & 0x0f) == 8 &&
                                    ((static_cast<unsigned char>(input[0]) << 8) | static_cast<unsigned char>(input[1])) % 31 == 0;
            windowBits = zlibHeader ? 15 : -15;
        }
        if (inflateInit2(&m_stream, windowBits) != Z_OK)
            return false;
        m_started = true;
        return true;
    }

    OutputBuffer m_out;
    Wrapper m_wrapper;
    std::string m_held; // the first byte of a stream not yet started
    z_stream m_stream{};
    bool m_started = false;
    bool m_ended = false;
};

class BrotliDecoder final : public Decoder {
public:
    BrotliDecoder() : m_state(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}
    ~BrotliDecoder() override { BrotliDecoderDestroyInstance(m_state); }

    bool Feed(const char* input, std::size_t count, const ByteSink& sink) override
    {
        if (!m_state)
            return false;
        std::size_t availableIn = count;
        const auto* nextIn = reinterpret_cast<const std::uint8_t*>(input);
        OutputBuffer& out = m_out;
        for (;;) {
            std::size_t availableOut = out.size();
            auto* nextOut = reinterpret_cast<std::uint8_t*>(out.data());
            m_result = BrotliDecoderDecompressStream(m_state, &availableIn, &nextIn, &availableOut, &nextOut, nullptr);
            const std::size_t produced = out.size() - availableOut;
            if (produced > 0 && !sink(out.data(), produced))
                return false;
            if (m_result == BROTLI_DECODER_RESULT_ERROR)
                return false;
            if (m_result != BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT)
                return true;
        }
    }

    bool Finished() const override { return m_result == BROTLI_DECODER_RESULT_SUCCESS; }

private:
    OutputBuffer m_out;
    BrotliDecoderState* m_state;
    BrotliDecoderResult m_result = BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT;
};

class ZstdDecoder final : public Decoder {
public:
    ZstdDecoder() : m_stream(ZSTD_createDStream()) {}
    ~ZstdDecoder() override { ZSTD_freeDStream(m_stream); }

    bool Feed(const char* input, std::size_t count, const ByteSink& sink) override
    {
        if (!m_stream)
            return false;
        ZSTD_inBuffer in{input, count, 0};
        OutputBuffer& out = m_out;
        while (in.pos < in.size || m_outputFull) {
            ZSTD_outBuffer outBuffer{out.data(), out.size(), 0};
            const std::size_t result = ZSTD_decompressStream(m_stream, &outBuffer, &in);
            if (ZSTD_isError(result))
                return false;
            if (outBuffer.pos > 0 && !sink(out.data(), outBuffer.pos))
                return false;
            // 0: the frame is decoded and flushed, even when its last bytes
            // filled the buffer exactly; asking again would start a frame.
            m_frameEnded = result == 0;
            m_outputFull = !m_frameEnded && outBuffer.pos == outBuffer.size;
        }
        return true;
    }

    bool Finished() const override { return m_frameEnded; }

private:
    OutputBuffer m_out;
    ZSTD_DStream* m_stream;
    bool m_outputFull = false;
    bool m_frameEnded = false;
};

// Browsers apply a handful of codings; a header naming more is damage, and
// stopping there keeps one of a million codings from costing a decoder each.
constexpr std::size_t kMaxCodings = 8;
// Error lines quote at most this much of a header's value.
// The codings in the order they were applied, "identity" dropped, at most
// kMaxCodings + 1 of them (more are not looked at); a coding we do not know
// comes back as it is, for the error.
std::vector<std::string> Codings(std::string_view contentEncoding)
{
    std::vector<std::string> codings;
    std::size_t start = 0;
    while (start <= contentEncoding.size() && codings.size() <= kMaxCodings) {
        std::size_t end = contentEncoding.find(',', start);
        if (end == std::string_view::npos)
            end = contentEncoding.size();
        std::string coding = LowerAsciiText(contentEncoding.substr(start, end - start));
        coding.erase(0, coding.find_first_not_of(" \t"));
        coding.erase(coding.find_last_not_of(" \t") + 1);
        if (!coding.empty() && coding != "identity")
            codings.push_back(std::move(coding));
        start = end + 1;
    }
    return codings;
}

std::unique_ptr<Decoder> MakeDecoder(const std::string& coding)
{
    if (coding == "gzip" || coding == "x-gzip")
        return std::make_unique<InflateDecoder>(InflateDecoder::Wrapper::Gzip);
    if (coding == "deflate")
        return std::make_unique<InflateDecoder>(InflateDecoder::Wrapper::Deflate);
    if (coding == "br")
        return std::make_unique<BrotliDecoder>();
    if (coding == "zstd")
        return std::make_unique<ZstdDecoder>();
    return nullptr;
}

} // namespace

bool NeedsDecoding(std::string_view contentEncoding)
{
    return !Codings(contentEncoding).empty();
}

struct BodyDecoder::State {
    State(std::uint64_t length, std::optional<std::uint32_t> crc32, std::string_view contentEncoding)
        : left(length), expectedCrc(crc32), encoding(QuotedHeaderValue(contentEncoding))
    {
        const std::vector<std::string> codings = Codings(contentEncoding);
        if (codings.size() > kMaxCodings) {
            error = "more than " + std::to_string(kMaxCodings) + " codings in Content-Encoding " + encoding;
            return;
        }
        for (auto coding = codings.rbegin(); coding != codings.rend(); ++coding) {
            decoders.push_back(MakeDecoder(*coding));
            if (!decoders.back()) {
                error = "unknown content encoding " + QuotedHeaderValue(*coding);
                return;
            }
        }
        // stage i feeds decoder i; the stage past the last decoder is the caller's sink.
        stages.resize(decoders.size() + 1);
        for (std::size_t i = decoders.size(); i-- > 0;)
            stages[i] = [this, i](const char* bytes, std::size_t count) {
                return decoders[i]->Feed(bytes, count, stages[i + 1]);
            };
    }

    // False once done; error says whether the body was whole.
    bool Next(const ByteSink& sink)
    {
        if (done || !error.empty())
            return false;
        if (left == 0) {
            done = true;
            if (expectedCrc && crc != *expectedCrc)
                error = kBodyChecksumMismatch;
            for (const auto& decoder : decoders)
                if (error.empty() && !decoder->Finished())
                    error = "truncated " + encoding + " body";
            return false;
        }
        std::size_t want = std::size_t(std::min<std::uint64_t>(left, kChunk));
        const char* piece = memory.data();
        if (pieces) {
            if (!pieces->Read(want, chunk)) {
                error = pieces->Error();
                return false;
            }
            want = chunk.size();
            piece = chunk.data();
        } else if (file) {
            if (!file->ReadAt(offset, want, chunk)) {
                error = "the body ends early in " + name;
                return false;
            }
            piece = chunk.data();
        } else {
            memory.remove_prefix(want);
        }
        offset += want;
        if (expectedCrc)
            crc = Crc32(std::string_view(piece, want), crc);
        stages.back() = sink;
        if (!stages.front()(piece, want)) {
            error = decoders.empty() ? "the body was not taken" : "damaged " + encoding + " body";
            return false;
        }
        left -= want;
        return true;
    }

    std::unique_ptr<FileBytes> file; // the stored file, read from offset on
    std::unique_ptr<PiecedBodyReader> pieces; // else the stored pieces, in order
    std::uint64_t offset = 0;
    std::string_view memory; // else the stored bytes still to decode
    std::uint64_t left;
    std::optional<std::uint32_t> expectedCrc;
    std::uint32_t crc = 0;
    std::string encoding; // the Content-Encoding as messages quote it
    std::string name; // the stored file's, for errors
    std::vector<std::unique_ptr<Decoder>> decoders; // decoders[0] undoes the last coding applied
    std::vector<ByteSink> stages;
    std::string chunk; // read buffer for the stored file
    std::string error;
    bool done = false;
};

BodyDecoder::BodyDecoder(std::string_view stored, std::optional<std::uint32_t> crc32,
                         std::string_view contentEncoding)
    : m_state(std::make_unique<State>(stored.size(), crc32, contentEncoding))
{
    m_state->memory = stored;
}

BodyDecoder::BodyDecoder(const BodyLocation& body, std::string_view contentEncoding)
    : m_state(std::make_unique<State>(body.length, body.hasCrc32 ? std::optional(body.crc32) : std::nullopt,
                                      body.decoded ? std::string_view() : contentEncoding))
{
    State& state = *m_state;
    state.name = body.file.string();
    if (!state.error.empty())
        return;
    if (!body.pieces.empty()) {
        state.pieces = std::make_unique<PiecedBodyReader>(body);
        return;
    }
    state.file = std::make_unique<FileBytes>(body.file, body.cacheFolder);
    state.offset = body.offset;
    if (!state.file->IsOpen())
        state.error = "cannot open " + state.name + ": " + state.file->Error();
}

BodyDecoder::~BodyDecoder() = default;

// The decoding of one entry is where running out of memory ends: the entry
// is damaged, the program and the other entries go on.
bool BodyDecoder::Next(const ByteSink& sink)
{
    try {
        return m_state->Next(sink);
    } catch (const std::bad_alloc&) {
        m_state->error = "the body is too large to decode (out of memory)";
        return false;
    }
}

const std::string& BodyDecoder::Error() const { return m_state->error; }

std::string DecodeBody(const BodyLocation& body, std::string_view contentEncoding, const ByteSink& sink)
{
    BodyDecoder decoder(body, contentEncoding);
    while (decoder.Next(sink)) {
    }
    return decoder.Error();
}

std::string CountDecodedBytes(BodyDecoder& decoder, std::uint64_t limit, DecodedSize& size)
{
    size = {};
    // One stored piece may decode to gigabytes: the count stops inside it.
    while (decoder.Next([&size, limit](const char*, std::size_t count) {
        size.atLeast = count > limit - size.bytes;
        size.bytes = size.atLeast ? limit : size.bytes + count;
        return !size.atLeast;
    })) {
    }
    return size.atLeast ? std::string() : decoder.Error();
}

} // namespace larkspool::browsercache
