// Digests are "sha256:" and lower-case hex: the form warcio's own writer
// puts down (its default, without the base32 option) and the one WACZ
// indexes carry, so tools that recompute a digest compare like with like.
#include "archive/warc_writer.h"

#include "archive/record_id.h"
#include "archive/sha256.h"
#include "cache/file_ptr.h"
#include "cache/url_escapes.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace larkspool::archive {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

// A URI goes into a header field as printable ASCII: a blank, a control
// byte or a byte above ASCII is percent-encoded.
std::string FieldUri(const std::string& uri)
{
    return PercentEscape(uri, [](unsigned char byte) { return byte <= 0x20 || byte >= 0x7F; });
}

// Any other value: a line break or control byte would end the field, it
// becomes a blank.
std::string FieldText(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return out;
}

struct BodyRead {
    std::uint64_t bytes = 0;
    bool failed = false;
};

// Reads the whole body, handing each piece to use; false from use stops.
BodyRead ReadBody(const BodyOpener& openBody, const std::function<bool(const char*, std::size_t)>& use)
{
    BodyRead read;
    const FilePtr body(openBody());
    if (!body)
        return read;
    std::vector<char> piece(kPieceSize);
    while (true) {
        const std::size_t count = std::fread(piece.data(), 1, piece.size(), body.get());
        if (count > 0 && !use(piece.data(), count)) {
            read.failed = true;
            return read;
        }
        read.bytes += count;
        if (count < piece.size())
            break;
    }
    read.failed = std::ferror(body.get()) != 0;
    return read;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

WarcWriter::WarcWriter(std::string path) : m_path(std::move(path)) {}

WarcWriter::~WarcWriter()
{
    if (m_file) {
        std::fclose(m_file);
        ::unlink(m_tempPath.c_str());
    }
}

bool WarcWriter::Fail(const std::string& what, int error)
{
    m_error = "cannot " + what + " " + m_path + ": " + std::strerror(error ? error : EIO);
    return false;
}

bool WarcWriter::Open()
{
    std::vector<char> name(m_path.begin(), m_path.end());
    const std::string suffix = ".tmp-XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return Fail("write the archive", errno);
    m_tempPath = name.data();
    // mkstemp makes the file private; the archive gets what any new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        const int error = errno;
        ::close(fd);
        ::unlink(m_tempPath.c_str());
        return Fail("write the archive", error);
    }
    m_output = std::make_unique<RecordOutput>(m_file, EndsWith(m_path, ".gz"));
    return true;
}

RecordResult WarcWriter::WriteInfo(const std::string& date,
                                   const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string block;
    for (const auto& [name, value] : fields)
        block += FieldText(name) + ": " + FieldText(value) + "\r\n";
    WarcRecordFields info;
    info.type = "warcinfo";
    info.date = date;
    info.contentType = "application/warc-fields";
    return Record(info, block, nullptr, 0);
}

RecordResult WarcWriter::Write(const WarcRecordFields& fields, const std::string& blockHead,
                               const BodyOpener& openBody, std::uint64_t bodyBytes)
{
    return Record(fields, blockHead, &openBody, bodyBytes);
}

RecordResult WarcWriter::PutFailed()
{
    m_error = m_output->Error() + " " + m_path;
    return RecordResult::WriteFailed;
}

RecordResult WarcWriter::GiveUp()
{
    if (!m_output->GiveUp()) {
        m_error = m_output->Error() + " " + m_path;
        return RecordResult::WriteFailed;
    }
    return RecordResult::BodyUnreadable;
}

RecordResult WarcWriter::Write(const WarcRecordFields& fields, const std::string& blockHead, std::string_view body,
                               const std::string& payloadDigest)
{
    Sha256 block;
    block.Update(blockHead.data(), blockHead.size());
    block.Update(body.data(), body.size());
    return Emit(fields, blockHead, block.HexDigest(), &payloadDigest, body.size(), [&] {
        return m_output->Put(body.data(), body.size()) ? RecordResult::Written : PutFailed();
    });
}

RecordResult WarcWriter::Record(const WarcRecordFields& fields, const std::string& blockHead,
                                const BodyOpener* openBody, std::uint64_t bodyBytes)
{
    Sha256 block;
    Sha256 payload;
    block.Update(blockHead.data(), blockHead.size());
    if (openBody) {
        const BodyRead first = ReadBody(*openBody, [&](const char* data, std::size_t size) {
            block.Update(data, size);
            payload.Update(data, size);
            return true;
        });
        if (first.failed || first.bytes != bodyBytes)
            return RecordResult::BodyUnreadable;
    }
    const std::string blockDigest = block.HexDigest();
    const std::string payloadDigest = openBody ? payload.HexDigest() : std::string();
    return Emit(fields, blockHead, blockDigest, openBody ? &payloadDigest : nullptr, bodyBytes, [&] {
        if (!openBody)
            return RecordResult::Written;
        // The second reading must be the first one again, byte for byte.
        Sha256 again;
        bool writeError = false;
        const BodyRead second = ReadBody(*openBody, [&](const char* data, std::size_t size) {
            again.Update(data, size);
            writeError = !m_output->Put(data, size);
            return !writeError;
        });
        if (writeError)
            return PutFailed();
        if (second.failed || second.bytes != bodyBytes || again.HexDigest() != payloadDigest)
            return GiveUp();
        return RecordResult::Written;
    });
}

RecordResult WarcWriter::Emit(const WarcRecordFields& fields, const std::string& blockHead,
                              const std::string& blockDigest, const std::string* payloadDigest,
                              std::uint64_t bodyBytes, const std::function<RecordResult()>& putBody)
{
    if (!m_file) {
        m_error = "the archive " + m_path + " is not open";
        return RecordResult::WriteFailed;
    }
    const std::string id = NewRecordId();
    if (blockDigest.empty() || (payloadDigest && payloadDigest->empty()) || id.empty()) {
        m_error = "cannot make the digests and record ids of " + m_path + ": libcrypto failed";
        return RecordResult::WriteFailed;
    }

    std::string head = "WARC/1.1\r\nWARC-Type: " + fields.type + "\r\nWARC-Record-ID: " + id +
                       "\r\nWARC-Date: " + FieldText(fields.date) + "\r\n";
    if (!fields.targetUri.empty())
        head += "WARC-Target-URI: " + FieldUri(fields.targetUri) + "\r\n";
    if (fields.type == "warcinfo")
        head += "WARC-Filename: " + FieldText(m_path.substr(m_path.rfind('/') + 1)) + "\r\n";
    if (!fields.ipAddress.empty())
        head += "WARC-IP-Address: " + FieldText(fields.ipAddress) + "\r\n";
    head += "WARC-Block-Digest: sha256:" + blockDigest + "\r\n";
    if (payloadDigest)
        head += "WARC-Payload-Digest: sha256:" + *payloadDigest + "\r\n";
    head += "Content-Type: " + FieldText(fields.contentType) + "\r\nContent-Length: " +
            std::to_string(blockHead.size() + bodyBytes) + "\r\n\r\n";

    const std::uint64_t start = m_output->Offset();
    if (!m_output->Begin() || !m_output->Put(head) || !m_output->Put(blockHead))
        return PutFailed();
    if (const RecordResult body = putBody(); body != RecordResult::Written)
        return body;
    if (!m_output->Put("\r\n\r\n") || !m_output->End())
        return PutFailed();
    m_lastOffset = start;
    m_lastLength = m_output->Offset() - start;
    m_lastPayloadDigest = payloadDigest ? "sha256:" + *payloadDigest : std::string();
    return RecordResult::Written;
}

bool WarcWriter::Commit()
{
    if (!m_file) {
        m_error = "the archive " + m_path + " is not open";
        return false;
    }
    errno = 0;
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(fileno(m_file)) == 0;
    int error = errno;
    const bool closed = std::fclose(m_file) == 0;
    if (!closed && flushed)
        error = errno;
    m_file = nullptr;
    if (!flushed || !closed) {
        ::unlink(m_tempPath.c_str());
        return Fail("write the archive", error);
    }
    if (std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        error = errno;
        ::unlink(m_tempPath.c_str());
        return Fail("put the archive in place as", error);
    }
    return true;
}

} // namespace larkspool::archive
