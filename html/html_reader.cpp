// The chunk scanner of the link rewriter. It is a streaming scanner, not an
// HTML parser: each call starts outside any tag, quote, comment or JIS run
// and stores bytes until a tag, a text run, a comment or a script body is
// complete, or its size limit is reached.
//
// It is a small state machine. Each turn hands the next byte to the first
// step that applies:
//   ESC                             StartEscape   the two bytes after it are stored as they are;
//   one of those two bytes          EscapeByte    ESC $B starts a JIS run, ESC (B ends it
//   inside a JIS run                JisRun        up to the next ESC: kanji bytes may look like markup
//   inside a comment or script      BodyRun       up to each ">", until "-->" or "</SCRIPT>"
//   outside a tag                   TextRun       up to the next "<", which opens a tag or ends the text
//   inside a tag                    TagByte       plain bytes in one TagRun; ControlByte, QuoteMark and
//                                                 AngleBracket one byte at a time
// Text runs, comments, script bodies, JIS runs and a tag's plain bytes are
// taken in whole stretches of the input block.
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

// Text and tags, or a comment (from its "<!--" on) or a script body (when the
// caller says so), where nothing but the end counts.
enum class Body { Markup, Comment, Script };

// Where a tag's bytes stand against its quotes. Opened and Closed last for
// the one byte after the quote, which is looked at alone: "a"b does not close
// the value, "a"/> ends an empty element.
enum class Quote { Outside, Opened, Inside, Closed };

enum class Step { Continue, Complete };

// The state of one ReadHtmlChunk call; the read position is the reader's.
class ChunkScanner {
public:
    ChunkScanner(HtmlReader& reader, std::string& chunk, bool script)
        : m_reader(reader)
        , m_data(reader.block.data())
        , m_pos(reader.readPosition)
        , m_chunk(chunk)
        , m_body(script ? Body::Script : Body::Markup)
    {
        m_chunk.clear();
    }

    ChunkResult Run(std::FILE* source)
    {
        for (;;) {
            if (m_pos >= m_reader.fillCount && !Refill(source))
                return std::ferror(source) ? ChunkResult::ReadError : ChunkResult::EndOfFile;
            if (m_body == Body::Markup && m_chunk.size() == 4 && m_chunk == "<!--")
                m_body = Body::Comment;
            const std::size_t maxSize = InTag() ? kMaxTagChunk : kMaxChunk;
            if (m_chunk.size() >= maxSize)
                return ChunkResult::Full;
            // Stretches stop where the chunk would become full.
            m_limit = std::min(m_reader.fillCount, m_pos + static_cast<int>(maxSize - m_chunk.size()));
            if (Next() == Step::Complete)
                return ChunkResult::Complete;
        }
    }

private:
    bool Refill(std::FILE* source)
    {
        const std::size_t got = std::fread(m_reader.block.data(), 1, HtmlReader::kBlockSize, source);
        if (got == 0)
            return false;
        m_reader.fillCount = static_cast<int>(got);
        m_pos = 0;
        return true;
    }

    Step Next()
    {
        const char c = m_data[m_pos];
        if (c == kEsc)
            return StartEscape();
        if (m_escapeBytesDue > 0)
            return EscapeByte();
        if (m_jis)
            return JisRun();
        if (m_body != Body::Markup)
            return BodyRun();
        if (m_depth == 0)
            return TextRun(c);
        return TagByte(c);
    }

    Step StartEscape()
    {
        Take(m_pos + 1);
        m_escapeBytesDue = 2;
        return Step::Continue;
    }

    // The sequence's bytes are stored right after its ESC, so when the last
    // one comes they end the chunk.
    Step EscapeByte()
    {
        Take(m_pos + 1);
        if (--m_escapeBytesDue == 0) {
            const std::string_view sequence = std::string_view(m_chunk).substr(m_chunk.size() - 2);
            if (sequence == "$B")
                m_jis = true;
            else if (sequence == "(B")
                m_jis = false;
        }
        return Step::Continue;
    }

    Step JisRun()
    {
        Take(FindEither(m_data, m_pos, m_limit, kEsc, kEsc));
        return Step::Continue;
    }

    Step BodyRun()
    {
        const int stop = FindEither(m_data, m_pos, m_limit, '>', kEsc);
        const bool closing = stop < m_limit && m_data[stop] == '>';
        Take(closing ? stop + 1 : stop);
        if (closing && EndsWithNoCase(m_chunk, m_body == Body::Script ? "</SCRIPT>" : "-->"))
            return Step::Complete;
        return Step::Continue;
    }

    Step TextRun(char c)
    {
        if (c != '<') {
            Take(FindEither(m_data, m_pos, m_limit, '<', kEsc));
            return Step::Continue;
        }
        if (!m_chunk.empty())
            return Step::Complete; // the "<" starts the next chunk
        m_depth = 1;
        Take(m_pos + 1);
        return Step::Continue;
    }

    Step TagByte(char c)
    {
        if ((m_quote == Quote::Outside || m_quote == Quote::Inside) && TagRun())
            return Step::Continue;
        if (m_quote == Quote::Closed && c != ' ' && c != '>' && c != '/' && c != '\r' && c != '\n')
            m_quote = Quote::Opened; // the value goes on
        if (IsControlByte(c)) {
            ControlByte(c);
            return Step::Continue;
        }
        if (m_quote == Quote::Opened)
            m_quote = Quote::Inside;
        else if (m_quote == Quote::Closed)
            m_quote = Quote::Outside;
        if (c == '"' || c == '\'')
            QuoteMark(c);
        else if ((c == '<' || c == '>') && !InQuote())
            return AngleBracket(c);
        Take(m_pos + 1);
        return Step::Continue;
    }

    // Plain bytes of a tag, up to the next quote, "<", ">" or control
    // character; false when there are none. A run stops 4 bytes into the
    // chunk so that Run sees a comment opener.
    bool TagRun()
    {
        const int stored = static_cast<int>(m_chunk.size());
        const int end = stored < 4 ? std::min(m_limit, m_pos + 4 - stored) : m_limit;
        const int stop = FindTagSpecial(m_data, m_pos, end);
        if (stop == m_pos)
            return false;
        Take(stop);
        return true;
    }

    // Zero bytes among them: a chunk's end is its size, not a NUL.
    void ControlByte(char c)
    {
        const bool afterQuote = !m_chunk.empty() && (m_chunk.back() == '"' || m_chunk.back() == '\'');
        if (!(InQuote() && afterQuote))
            m_chunk += c;
        ++m_pos;
    }

    void QuoteMark(char c)
    {
        if (m_quote == Quote::Outside) {
            m_quote = Quote::Opened;
            m_quoteChar = c;
        } else if (c == m_quoteChar) {
            m_quote = Quote::Closed;
        }
    }

    // A "<" in a tag with no "=" yet starts the next chunk (<A HREF<B>);
    // after one it is part of a value (<A HREF=x<B>> is one tag), and each
    // ">" closes one "<".
    Step AngleBracket(char c)
    {
        if (c == '<' && m_chunk.find('=') == std::string::npos)
            return Step::Complete;
        m_depth += c == '<' ? 1 : -1;
        Take(m_pos + 1);
        return m_depth == 0 ? Step::Complete : Step::Continue;
    }

    // Stores the bytes up to end, which is past the read position.
    void Take(int end)
    {
        m_chunk.append(m_data + m_pos, end - m_pos);
        m_pos = end;
    }

    bool InTag() const { return m_body == Body::Markup && m_depth > 0; }
    bool InQuote() const { return m_quote == Quote::Opened || m_quote == Quote::Inside; }

    HtmlReader& m_reader;
    const char* const m_data;
    int& m_pos;
    int m_limit = 0; // where a stretch stops: the block's end, or where the chunk becomes full
    std::string& m_chunk;
    Body m_body;
    int m_escapeBytesDue = 0;
    bool m_jis = false;
    int m_depth = 0; // "<" not yet closed by ">"; 0 outside a tag
    Quote m_quote = Quote::Outside;
    char m_quoteChar = 0;
};

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

ChunkResult ReadHtmlChunk(HtmlReader& reader, std::FILE* source, std::string& chunk, bool script)
{
    return ChunkScanner(reader, chunk, script).Run(source);
}

} // namespace larkspool
