// The two file-level entry points of the link rewriter: the page copy that
// rewrites links chunk by chunk, and the title reader. Both read through the
// same chunk scanner; the only state carried from chunk to chunk is whether
// the next one is a script body.
#include "html/html_rewriter.h"

#include "cache/input_file.h"
#include "cache/file_ptr.h"
#include "base/byte_text.h"
#include "html/css_links.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace larkspool {
namespace {

// The scanner takes 1024-byte blocks; the file is read in larger pieces.
constexpr std::size_t kSourceBuffer = 64 * 1024;

// Gathers the chunks of a page and writes them in large pieces; the target
// itself is unbuffered.
class ChunkWriter {
public:
    static constexpr std::size_t kCapacity = 64 * 1024;

    explicit ChunkWriter(std::FILE* target)
        : m_target(target)
    {
        m_buffer.reserve(kCapacity);
    }

    bool write(const std::string& chunk)
    {
        if (m_buffer.size() + chunk.size() > kCapacity && !flush())
            return false;
        m_buffer += chunk;
        return true;
    }

    bool flush()
    {
        const bool written = std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_target) == m_buffer.size();
        m_buffer.clear();
        return written;
    }

private:
    std::FILE* m_target;
    std::string m_buffer;
};

bool IsScriptTag(const std::string& chunk)
{
    return StartsWithNoCase(chunk, "<SCRIPT");
}

// Whether the chunk is the tag name (<STYLE, </STYLE) with or without attributes.
bool IsTag(const std::string& chunk, std::string_view name)
{
    if (!StartsWithNoCase(chunk, name) || chunk.size() == name.size())
        return false;
    const char next = chunk[name.size()];
    return next == '>' || next == '/' || next == ' ' || IsControlByte(next);
}

// The body of a <STYLE> block, gathered whole so that the stylesheet scanner
// sees every url() in one piece. A body that grows past kMaxBody goes out as
// it came.
class StyleBody {
public:
    static constexpr std::size_t kMaxBody = 1024 * 1024;

    bool Gathering() const { return m_gathering; }
    void Begin() { m_gathering = true; }

    bool Add(const std::string& chunk, ChunkWriter& writer)
    {
        if (!m_tooLarge && m_body.size() + chunk.size() <= kMaxBody) {
            m_body += chunk;
            return true;
        }
        m_tooLarge = true;
        const bool written = writer.write(m_body) && writer.write(chunk);
        m_body.clear();
        return written;
    }

    // Writes the body, its links rewritten, and ends it.
    bool Finish(const PageLinks& links, ChunkWriter& writer)
    {
        m_css.clear();
        RewriteCssLinks(m_body, links, m_css);
        m_body.clear();
        m_gathering = m_tooLarge = false;
        return writer.write(m_css);
    }

private:
    bool m_gathering = false;
    bool m_tooLarge = false;
    std::string m_body;
    std::string m_css;
};

// Writes the chunks of source to target; the result of the last read decides
// between success and a read error.
int CopyChunks(HtmlReader& reader, std::FILE* source, std::FILE* target, PageLinks& links)
{
    ChunkWriter writer(target);
    std::string chunk;
    chunk.reserve(2 * kMaxChunk);
    bool script = false;
    StyleBody style;
    for (;;) {
        const ChunkResult read = ReadHtmlChunk(reader, source, chunk, script);
        if (read == ChunkResult::ReadError)
            return style.Finish(links, writer) && writer.flush() ? kRewriteReadError : kRewriteWriteError;
        if (style.Gathering()) {
            const bool atEnd = read == ChunkResult::EndOfFile;
            const bool ends = atEnd || (read == ChunkResult::Complete && IsTag(chunk, "</STYLE"));
            if (!ends || atEnd) {
                if (!style.Add(chunk, writer))
                    return kRewriteWriteError;
                chunk.clear();
            }
            if (!ends)
                continue;
            if (!style.Finish(links, writer))
                return kRewriteWriteError;
        }
        if (read == ChunkResult::EndOfFile)
            return writer.write(chunk) && writer.flush() ? kRewriteOk : kRewriteWriteError;
        if (read == ChunkResult::Complete) {
            script = IsScriptTag(chunk);
            if (StartsWithNoCase(chunk, "<BASE") && !StartsWithNoCase(chunk, "<BASEFONT")) {
                // Links resolve against it here, and must not in the written page.
                if (const auto href = TagAttributeValue(chunk, "HREF"))
                    links.SetBase(*href);
                chunk = "<!--\r\n" + chunk + "\r\n-->";
            } else {
                RewriteTagLinks(chunk, links);
            }
            if (IsTag(chunk, "<STYLE"))
                style.Begin();
        }
        if (!writer.write(chunk))
            return kRewriteWriteError;
    }
}

} // namespace

bool IsHtmlPageName(std::string_view name)
{
    return EndsWithNoCase(name, ".htm") || EndsWithNoCase(name, ".html");
}

int RewriteHtmlFile(HtmlReader& reader, const std::string& sourcePath, const std::string& pageLocation,
                    const std::string& defaultFile, RewriteMode mode, const std::string& targetPath,
                    const std::string& baseFolder, std::string* openError)
{
    std::string why;
    const FilePtr source(OpenInputStream(sourcePath, why));
    if (!source) {
        if (openError)
            *openError = sourcePath + ": " + why;
        return kRewriteOpenError;
    }
    FilePtr target(std::fopen(targetPath.c_str(), "wb"));
    if (!target) {
        if (openError)
            *openError = targetPath + ": " + std::strerror(errno);
        return kRewriteOpenError;
    }
    int result = RewriteHtmlStream(reader, source.get(), pageLocation, defaultFile, mode, target.get(), baseFolder);
    if (std::fclose(target.release()) != 0 && result == kRewriteOk)
        result = kRewriteWriteError;
    return result;
}

int RewriteHtmlStream(HtmlReader& reader, std::FILE* source, const std::string& pageLocation,
                      const std::string& defaultFile, RewriteMode mode, std::FILE* target,
                      const std::string& baseFolder)
{
    PageLinks links = mode == RewriteMode::Export ? PageLinks::ForExport(pageLocation, defaultFile)
                                                  : PageLinks::ForImport(ConvertBaseFolder(baseFolder));
    return RewriteHtmlStream(reader, source, links, target);
}

int RewriteHtmlStream(HtmlReader& reader, std::FILE* source, PageLinks links, std::FILE* target)
{
    reader.sourceBuffer.resize(kSourceBuffer);
    std::setvbuf(source, reader.sourceBuffer.data(), _IOFBF, kSourceBuffer);
    std::setvbuf(target, nullptr, _IONBF, 0);
    reader.reset(); // a stopped job may have left bytes of another file
    return CopyChunks(reader, source, target, links);
}

int ExtractHtmlTitle(HtmlReader& reader, const std::string& path, std::string& title, std::string* openError)
{
    std::string why;
    const FilePtr file(OpenInputStream(path, why));
    if (!file) {
        if (openError)
            *openError = why;
        return kRewriteOpenError;
    }
    return ExtractHtmlTitle(reader, file.get(), title);
}

int ExtractHtmlTitle(HtmlReader& reader, std::FILE* page, std::string& title)
{
    reader.reset();

    std::string chunk;
    bool script = false;
    bool afterTitle = false;
    for (;;) {
        const ChunkResult read = ReadHtmlChunk(reader, page, chunk, script);
        if (read == ChunkResult::ReadError)
            return kRewriteReadError;
        if (read == ChunkResult::EndOfFile)
            return kRewriteOk;
        if (read == ChunkResult::Full)
            continue;
        script = IsScriptTag(chunk);
        // Spaces before the title are the page's layout, not its title.
        const std::size_t start = chunk.find_first_not_of(' ');
        if (afterTitle && start == std::string::npos)
            continue;
        if (afterTitle && !(chunk.size() == 8 && StartsWithNoCase(chunk, "</TITLE>"))) {
            title.clear();
            for (std::size_t i = start; i < chunk.size(); ++i) {
                // A JIS title keeps the escapes that switch its character
                // sets, or it could never be decoded; other controls go.
                const bool jisEscape = chunk[i] == '\x1B' && i + 1 < chunk.size() &&
                                       (chunk[i + 1] == '$' || chunk[i + 1] == '(');
                if (!IsControlByte(chunk[i]) || jisEscape)
                    title += chunk[i];
            }
            return kRewriteOk;
        }
        afterTitle = StartsWithNoCase(chunk, "<TITLE>");
    }
}

} // namespace larkspool
