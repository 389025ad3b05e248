// The reader that feeds the link rewriter: one 1024-byte input block read
// from the source file, and the scanner that cuts it into chunks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace larkspool {

class HtmlReader {
public:
    static constexpr int kBlockSize = 1024;

    HtmlReader();

    // Starts the next file with an empty block.
    void reset();

    // Bytes [readPosition, fillCount) of block are still unread; fillCount is
    // -1 before the first read.
    int fillCount = -1;
    int readPosition = 0;
    std::vector<char> block;
    // The stdio buffer of the page being rewritten (given, so that stdio
    // neither allocates one nor asks the file system for its size); the
    // page's stream is closed before the reader is used again.
    std::vector<char> sourceBuffer;
};

// Longest chunk of text, comment or script the scanner returns; the
// rewriter changes nothing in them, so a cut costs nothing.
inline constexpr std::size_t kMaxChunk = 511;
// Longest tag: a longer one comes in pieces and is copied as it is.
inline constexpr std::size_t kMaxTagChunk = 64 * 1024;

enum class ChunkResult {
    Complete,  // the piece ended
    Full,      // kMaxChunk bytes (kMaxTagChunk for a tag) were stored before the piece ended
    ReadError,
    EndOfFile, // the unfinished piece, if any, is in chunk
};

// Replaces chunk with the next piece of the source: a tag, a run of text, a
// comment, or (when script is set) a script body up to "</SCRIPT>". Control
// characters directly after an opening quote inside a tag are dropped; every
// other byte is kept.
ChunkResult ReadHtmlChunk(HtmlReader& reader, std::FILE* source, std::string& chunk, bool script);

} // namespace larkspool
