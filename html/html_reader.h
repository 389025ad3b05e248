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
    // Appended to export links that end in "/".
    std::string defaultFile;
    // The stdio buffer of the page being rewritten (given, so that stdio
    // neither allocates one nor asks the file system for its size); the
    // page's stream is closed before the reader is used again.
    std::vector<char> sourceBuffer;
};

// ReadHtmlChunk results.
inline constexpr int kChunkComplete = 0;
inline constexpr int kChunkFull = 1;
inline constexpr int kChunkReadError = -1;
inline constexpr int kChunkEndOfFile = -2;

// Longest chunk the scanner returns.
inline constexpr std::size_t kMaxChunk = 511;

// Replaces chunk with the next piece of the source: a tag, a run of text, a
// comment, or (when script is set) a script body up to "</SCRIPT>". Returns
// kChunkComplete, kChunkFull when kMaxChunk bytes were stored before the
// piece ended, kChunkReadError, or kChunkEndOfFile with the unfinished piece
// left in chunk. Spaces at the start of a text run, and control characters
// directly after an opening quote inside a tag, are dropped.
int ReadHtmlChunk(HtmlReader& reader, std::FILE* source, std::string& chunk, bool script);

} // namespace larkspool
