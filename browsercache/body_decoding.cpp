// A chain of stream decoders: the stored bytes go into the decoder of the
// last coding applied, whose output goes into the one before, and so on to
// the caller's sink. Each decoder says at its end whether its stream was
// whole, so a truncated body is an error, not a short file.
#include "browsercache/body_decoding.h"

#include "browsercache/crc32.h"
#include "html/byte_text.h"

#include <brotli/decode.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace larkspool::browsercache {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

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
        std::vector<char> out(kChunk);
        while (count > 0) {
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

    Wrapper m_wrapper;
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
        std::vector<char> out(kChunk);
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
        std::vector<char> out(kChunk);
        while (in.pos < in.size || m_outputFull) {
            ZSTD_outBuffer outBuffer{out.data(), out.size(), 0};
            const std::size_t result = ZSTD_decompressStream(m_stream, &outBuffer, &in);
            if (ZSTD_isError(result))
                return false;
            if (outBuffer.pos > 0 && !sink(out.data(), outBuffer.pos))
                return false;
            m_outputFull = outBuffer.pos == outBuffer.size;
            m_frameEnded = result == 0;
        }
        return true;
    }

    bool Finished() const override { return m_frameEnded; }

private:
    ZSTD_DStream* m_stream;
    bool m_outputFull = false;
    bool m_frameEnded = false;
};

// The codings in the order they were applied, "identity" dropped; a coding
// we do not know comes back as it is, for the error.
std::vector<std::string> Codings(std::string_view contentEncoding)
{
    std::vector<std::string> codings;
    std::size_t start = 0;
    while (start <= contentEncoding.size()) {
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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool NeedsDecoding(std::string_view contentEncoding)
{
    return !Codings(contentEncoding).empty();
}

std::string DecodeBody(const BodyLocation& body, std::string_view contentEncoding, const ByteSink& sink)
{
    const std::vector<std::string> codings = Codings(contentEncoding);
    std::vector<std::unique_ptr<Decoder>> decoders; // decoders[0] undoes the last coding applied
    for (auto coding = codings.rbegin(); coding != codings.rend(); ++coding) {
        decoders.push_back(MakeDecoder(*coding));
        if (!decoders.back())
            return "unknown content encoding " + *coding;
    }
    // stage i feeds decoder i; the stage past the last decoder is the sink.
    std::vector<ByteSink> stages(decoders.size() + 1);
    stages.back() = sink;
    for (std::size_t i = decoders.size(); i-- > 0;)
        stages[i] = [&decoders, &stages, i](const char* bytes, std::size_t count) {
            return decoders[i]->Feed(bytes, count, stages[i + 1]);
        };

    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(body.file.c_str(), "rb"));
    if (!file)
        return "cannot open " + body.file.string();
    if (body.offset > std::uint64_t(INT64_MAX) ||
        std::fseek(file.get(), static_cast<long>(body.offset), SEEK_SET) != 0)
        return "cannot read " + body.file.string();
    std::vector<char> chunk(kChunk);
    std::uint32_t crc = 0;
    for (std::uint64_t left = body.length; left > 0;) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(left, chunk.size()));
        const std::size_t got = std::fread(chunk.data(), 1, want, file.get());
        if (got == 0)
            return "the body ends early in " + body.file.string();
        if (body.hasCrc32)
            crc = Crc32(std::string_view(chunk.data(), got), crc);
        if (!stages.front()(chunk.data(), got))
            return decoders.empty() ? "the body was not taken" : "damaged " + std::string(contentEncoding) + " body";
        left -= got;
    }
    if (body.hasCrc32 && crc != body.crc32)
        return "the body's checksum does not match: the entry is damaged";
    for (const auto& decoder : decoders)
        if (!decoder->Finished())
            return "truncated " + std::string(contentEncoding) + " body";
    return {};
}

} // namespace larkspool::browsercache
