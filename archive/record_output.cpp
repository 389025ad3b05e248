// Deflate at zlib's default level with a gzip header (window bits 15 + 16),
// one stream per record.
#include "archive/record_output.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace larkspool::archive {
namespace {

constexpr std::size_t kOutSize = 64 * 1024;

} // namespace

RecordOutput::RecordOutput(std::FILE* file, bool gzip) : m_file(file), m_gzip(gzip), m_stream(new z_stream_s{}) {}

RecordOutput::~RecordOutput()
{
    if (m_streamOpen)
        deflateEnd(m_stream.get());
}

bool RecordOutput::Fail(const std::string& what)
{
    m_error = what + ": " + std::strerror(errno ? errno : EIO);
    return false;
}

bool RecordOutput::Begin()
{
    m_recordStart = m_offset;
    if (!m_gzip)
        return true;
    *m_stream = z_stream_s{};
    if (deflateInit2(m_stream.get(), Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        m_error = "zlib cannot start a gzip member";
        return false;
    }
    m_streamOpen = true;
    return true;
}

bool RecordOutput::Deflate(int flush)
{
    unsigned char out[kOutSize];
    int result = Z_OK;
    do {
        m_stream->next_out = out;
        m_stream->avail_out = sizeof out;
        result = deflate(m_stream.get(), flush);
        if (result == Z_STREAM_ERROR) {
            m_error = "zlib failed to compress";
            return false;
        }
        const std::size_t produced = sizeof out - m_stream->avail_out;
        errno = 0;
        if (std::fwrite(out, 1, produced, m_file) != produced)
            return Fail("cannot write");
        m_offset += produced;
    } while (flush == Z_FINISH ? result != Z_STREAM_END : m_stream->avail_out == 0);
    return true;
}

bool RecordOutput::Put(const void* data, std::size_t size)
{
    if (!m_gzip) {
        errno = 0;
        if (std::fwrite(data, 1, size, m_file) != size)
            return Fail("cannot write");
        m_offset += size;
        return true;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    // avail_in is an unsigned int: a large piece goes in slices.
    while (size > 0) {
        const std::size_t slice = std::min<std::size_t>(size, kOutSize);
        m_stream->next_in = const_cast<unsigned char*>(bytes);
        m_stream->avail_in = static_cast<unsigned int>(slice);
        if (!Deflate(Z_NO_FLUSH))
            return false;
        bytes += slice;
        size -= slice;
    }
    return true;
}

bool RecordOutput::End()
{
    if (!m_gzip)
        return true;
    m_stream->next_in = nullptr;
    m_stream->avail_in = 0;
    const bool finished = Deflate(Z_FINISH);
    deflateEnd(m_stream.get());
    m_streamOpen = false;
    return finished;
}

bool RecordOutput::GiveUp()
{
    if (m_streamOpen) {
        deflateEnd(m_stream.get());
        m_streamOpen = false;
    }
    errno = 0;
    if (std::fflush(m_file) != 0 || ftruncate(fileno(m_file), static_cast<off_t>(m_recordStart)) != 0 ||
        fseeko(m_file, static_cast<off_t>(m_recordStart), SEEK_SET) != 0)
        return Fail("cannot take a record back out");
    m_offset = m_recordStart;
    return true;
}

} // namespace larkspool::archive
