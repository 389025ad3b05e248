// The chunk scanner of the link rewriter. It is a streaming scanner, not an
// HTML parser: each call starts outside any tag, quote, comment or JIS run
// and stores bytes until a tag, a text run, a comment or a script body is
// complete, or its size limit is reached. Text runs, comments, script bodies
// and JIS kanji runs are taken in whole stretches of the input block; only
// tags are looked at byte by byte.
#include "html/html_reader.h"

#include "base/byte_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace larkspool {
namespace {

constexpr char kEsc = '\x1B';

// Index of the first byte in [from, to) that is a or b, or to.
int FindEither(const char* data, int from, int to, char a, char b)
{
    const void* found = std::memchr(data + from, a, to - from);
    const int end = found ? static_cast<int>(static_cast<const char*>(found) - data) : to;
    if (a == b)
        return end;
    found = std::memchr(data + from, b, end - from);
    return found ? static_cast<int>(static_cast<const char*>(found) - data) : end;
}

// Bytes that change the scanner's state inside a tag: quotes, "<", ">" and
// control characters (ESC among them).
constexpr auto kTagSpecial = [] {
    std::array<bool, 256> special{};
    for (int c = 0; c < 0x20; ++c)
        special[c] = true;
    for (const unsigned char c : {'"', '\'', '<', '>'})
        special[c] = true;
    return special;
}();

int FindTagSpecial(const char* data, int from, int to)
{
    while (from < to && !kTagSpecial[static_cast<unsigned char>(data[from])])
        ++from;
    return from;
}

} // namespace

HtmlReader::HtmlReader()
    : block(kBlockSize)
{
}

void HtmlReader::reset()
{
    fillCount = -1;
    readPosition = 0;
}

int ReadHtmlChunk(HtmlReader& reader, std::FILE* source, std::string& chunk, bool script)
{
    chunk.clear();
    int depth = 0;
    bool inTag = false;
    bool inQuote = false;
    char quoteChar = 0;
    bool quoteJustToggled = false; // the previous byte opened or closed a quote
    bool comment = false;
    bool escape = false;
    char escapeBytes[2] = {};
    int escapeCount = 0;
    bool jis = false; // inside ESC $B ... ESC (B, where any byte may look like markup

    int& pos = reader.readPosition;
    for (;;) {
        if (pos >= reader.fillCount) {
            const std::size_t got = std::fread(reader.block.data(), 1, HtmlReader::kBlockSize, source);
            if (got == 0)
                return std::ferror(source) ? kChunkReadError : kChunkEndOfFile;
            reader.fillCount = static_cast<int>(got);
            pos = 0;
        }
        if (chunk.size() == 4 && chunk == "<!--")
            comment = true;
        const std::size_t maxSize = inTag && !comment ? kMaxTagChunk : kMaxChunk;
        if (chunk.size() >= maxSize)
            return kChunkFull;

        const char* const data = reader.block.data();
        // Bulk stretches stop where the chunk would become full.
        const int limit = std::min(reader.fillCount, pos + static_cast<int>(maxSize - chunk.size()));
        const char c = data[pos];

        if (c == kEsc) {
            chunk += c;
            ++pos;
            escape = true;
            escapeCount = 0;
            continue;
        }
        if (escape) {
            chunk += c;
            ++pos;
            escapeBytes[escapeCount++] = c;
            if (escapeCount == 2) {
                const std::string_view sequence(escapeBytes, 2);
                if (sequence == "$B")
                    jis = true;
                else if (sequence == "(B")
                    jis = false;
                escape = false;
            }
            continue;
        }
        if (jis) {
            const int stop = FindEither(data, pos, limit, kEsc, kEsc);
            chunk.append(data + pos, stop - pos);
            pos = stop;
            continue;
        }
        if (script || comment) {
            const int stop = FindEither(data, pos, limit, '>', kEsc);
            const int end = stop < limit && data[stop] == '>' ? stop + 1 : stop;
            chunk.append(data + pos, end - pos);
            pos = end;
            if (end != stop && EndsWithNoCase(chunk, script ? "</SCRIPT>" : "-->"))
                return kChunkComplete;
            continue;
        }

        // Markup level. Plain bytes inside a tag are stored in one stretch,
        // which stops at 4 bytes so that a comment opener is still seen.
        if (inTag && !quoteJustToggled) {
            const int stretchEnd = chunk.size() < 4 ? std::min(limit, pos + 4 - static_cast<int>(chunk.size())) : limit;
            const int stop = FindTagSpecial(data, pos, stretchEnd);
            if (stop != pos) {
                chunk.append(data + pos, stop - pos);
                pos = stop;
                continue;
            }
        }
        // "a"b does not close the value; "a"/> ends an empty element.
        if (quoteJustToggled && !inQuote && c != ' ' && c != '>' && c != '/' && c != '\r' && c != '\n')
            inQuote = true;
        if (IsControlByte(c)) {
            // Zero bytes among them: a chunk's end is its size, not a NUL.
            const bool afterOpeningQuote = !chunk.empty() && depth != 0 && inQuote
                && (chunk.back() == '"' || chunk.back() == '\'');
            if (!afterOpeningQuote)
                chunk += c;
            ++pos;
            continue;
        }
        if (!inTag) {
            if (!chunk.empty()) {
                if (c == '<')
                    return kChunkComplete;
                const int stop = FindEither(data, pos, limit, '<', kEsc);
                chunk.append(data + pos, stop - pos);
                pos = stop;
                continue;
            }
            if (c != '<') {
                chunk += c; // starts a text run
                ++pos;
                continue;
            }
        }

        quoteJustToggled = false;
        if (c == '"' || c == '\'') {
            if (!inQuote) {
                inQuote = true;
                quoteChar = c;
                quoteJustToggled = true;
            } else if (c == quoteChar) {
                inQuote = false;
                quoteJustToggled = true;
            }
        } else if (c == '<' && !inQuote) {
            if (depth == 0) {
                inTag = true;
                depth = 1;
            } else if (chunk.find('=') == std::string::npos) {
                return kChunkComplete; // the "<" starts the next chunk
            } else {
                ++depth;
            }
        } else if (c == '>' && !inQuote) {
            --depth;
        }
        chunk += c;
        ++pos;
        if (inTag && depth == 0)
            return kChunkComplete;
    }
}

} // namespace larkspool
