// Bodies a browser fetched by byte ranges and keeps in pieces (Chromium's
// sparse data): placing the pieces a reader found in the body, and reading
// the body back with zeros where no piece is kept.
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool::browsercache {

// The whole body's length as the stored head of a range answer gives it:
// TOTAL of "Content-Range: bytes a-b/TOTAL" (or "bytes */TOTAL"), else the
// Content-Length Chromium sets to the whole resource's; nothing when neither
// says.
std::optional<std::uint64_t> WholeBodyLength(std::string_view head);

// Orders pieces by their place in the body and makes them body's pieces,
// body.length the length head gives (the end of the last piece when it gives
// none; 0 without pieces) and body.file the first piece's file. Returns the reason, leaving
// body untouched, when two pieces overlap or one ends past that length.
std::string PlaceBodyPieces(std::vector<BodyPiece> pieces, std::string_view head, BodyLocation& body);

// Why a piece of body does not lie inside its file as the files are now;
// "" when all do.
std::string PiecesPastFileEnd(const BodyLocation& body);

// The bytes of a body kept in pieces, in order, a run at a time: a piece's
// bytes from its file, zeros between pieces. Each piece's CRC-32 is checked
// once the piece has been read whole.
class PiecedBodyReader {
public:
    explicit PiecedBodyReader(const BodyLocation& body);

    // Fills out with the next at most want bytes (fewer at a piece's or a
    // gap's end); false with Error() set when they cannot be read.
    bool Read(std::uint64_t want, std::string& out);
    const std::string& Error() const { return m_error; }

private:
    const ByteSource* FileOf(const BodyPiece& piece);

    std::vector<BodyPiece> m_pieces;
    std::uint64_t m_length;
    std::filesystem::path m_cacheFolder;
    std::size_t m_next = 0;        // the first piece not yet read whole
    std::uint64_t m_position = 0;  // in the body
    std::uint32_t m_crc = 0;       // of the bytes read of piece m_next
    std::filesystem::path m_openedPath;
    std::unique_ptr<FileBytes> m_opened; // the file of the piece last read
    std::string m_error;
};

} // namespace larkspool::browsercache
