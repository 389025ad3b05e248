// A body in pieces is checked once, where it is placed: ordered, apart and
// inside the body's length. Reading it then only walks the pieces.
//
//   head                                        pieces (offset+length)   body
//   206, Content-Range: bytes 0-99/300          0+100, 100+200           300 bytes, whole
//   206, Content-Range: bytes 0-99/300          0+100, 200+100           300 bytes, 100-199 zeros
//   206, Content-Length: 300                    0+100, 250+100           refused: past the end
//   206 (no length)                             0+100, 50+100            refused: overlap
#include "browsercache/body_pieces.h"

#include "browsercache/crc32.h"
#include "browsercache/http_response_head.h"

#include <algorithm>
#include <charconv>

namespace larkspool::browsercache {
namespace {

std::optional<std::uint64_t> Number(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || stop != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string PieceName(const BodyPiece& piece) { return "the range at byte " + std::to_string(piece.bodyOffset); }

} // namespace

std::uint64_t HeldBytes(const BodyLocation& body)
{
    if (body.pieces.empty())
        return body.length;
    std::uint64_t held = 0;
    for (const BodyPiece& piece : body.pieces)
        held += piece.length; // placed pieces lie apart inside the body: no overflow
    return held;
}

std::optional<std::uint64_t> WholeBodyLength(std::string_view head)
{
    if (const auto range = HeaderValue(head, "Content-Range")) {
        const std::size_t slash = range->rfind('/');
        if (range->starts_with("bytes ") && slash != std::string::npos)
            if (const auto total = Number(std::string_view(*range).substr(slash + 1)))
                return total;
    }
    if (const auto length = HeaderValue(head, "Content-Length"))
        return Number(*length);
    return std::nullopt;
}

std::string PlaceBodyPieces(std::vector<BodyPiece> pieces, std::string_view head, BodyLocation& body)
{
    std::erase_if(pieces, [](const BodyPiece& piece) { return piece.length == 0; });
    std::sort(pieces.begin(), pieces.end(),
              [](const BodyPiece& a, const BodyPiece& b) { return a.bodyOffset < b.bodyOffset; });
    std::uint64_t end = 0;
    for (const BodyPiece& piece : pieces) {
        if (piece.length > UINT64_MAX - piece.bodyOffset)
            return PieceName(piece) + " ends past any body";
        if (piece.bodyOffset < end)
            return PieceName(piece) + " overlaps the one before it";
        end = piece.bodyOffset + piece.length;
    }
    // Without a piece nothing of the body is held: no bytes, rather than
    // a length that would read as a body of the usual kind.
    const std::uint64_t length = pieces.empty() ? 0 : WholeBodyLength(head).value_or(end);
    if (end > length)
        return "a range ends at byte " + std::to_string(end) + ", past the body's " + std::to_string(length) +
               " bytes";
    body.file = pieces.empty() ? body.file : pieces.front().file;
    body.offset = 0;
    body.length = length;
    body.hasCrc32 = false;
    body.pieces = std::move(pieces);
    return {};
}

std::string PiecesPastFileEnd(const BodyLocation& body)
{
    for (const BodyPiece& piece : body.pieces) {
        std::error_code sizeError;
        const std::uint64_t fileSize = std::filesystem::file_size(piece.file, sizeError);
        if (sizeError || piece.fileOffset > fileSize || piece.length > fileSize - piece.fileOffset)
            return PieceName(piece) + " lies past the end of " + piece.file.string();
    }
    return {};
}

PiecedBodyReader::PiecedBodyReader(const BodyLocation& body)
    : m_pieces(body.pieces), m_length(body.length), m_cacheFolder(body.cacheFolder)
{
}

const ByteSource* PiecedBodyReader::FileOf(const BodyPiece& piece)
{
    if (!m_opened || piece.file != m_openedPath) {
        m_openedPath = piece.file;
        m_opened = std::make_unique<FileBytes>(piece.file, m_cacheFolder);
    }
    if (m_opened->IsOpen())
        return m_opened.get();
    m_error = "cannot open " + piece.file.string() + ": " + m_opened->Error();
    return nullptr;
}

bool PiecedBodyReader::Read(std::uint64_t want, std::string& out)
{
    out.clear();
    if (!m_error.empty())
        return false;
    const BodyPiece* piece = m_next < m_pieces.size() ? &m_pieces[m_next] : nullptr;
    if (!piece || m_position < piece->bodyOffset) {
        // A gap: zeros up to the next piece or the body's end.
        const std::uint64_t gapEnd = piece ? piece->bodyOffset : m_length;
        out.assign(std::size_t(std::min(want, gapEnd - m_position)), '\0');
        m_position += out.size();
        return true;
    }
    const std::uint64_t done = m_position - piece->bodyOffset;
    const std::uint64_t count = std::min(want, piece->length - done);
    const ByteSource* file = FileOf(*piece);
    if (!file)
        return false;
    if (!file->ReadAt(piece->fileOffset + done, count, out)) {
        m_error = PieceName(*piece) + " lies past the end of " + piece->file.string();
        return false;
    }
    m_crc = Crc32(out, m_crc);
    m_position += count;
    if (done + count == piece->length) {
        if (piece->crc32 && m_crc != *piece->crc32) {
            m_error = PieceName(*piece) + " of the body fails its CRC-32 check";
            return false;
        }
        m_crc = 0;
        ++m_next;
    }
    return true;
}

} // namespace larkspool::browsercache
