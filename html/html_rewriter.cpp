// The two file-level entry points of the link rewriter: the page copy that
// rewrites links chunk by chunk, and the title reader. Both read through the
// same chunk scanner; the only state carried from chunk to chunk is whether
// the next one is a script body.
#include "html/html_rewriter.h"

#include "cache/input_file.h"
#include "html/byte_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace larkspool {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

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

// Writes the chunks of source to target; the result of the last read decides
// between success and a read error.
int CopyChunks(HtmlReader& reader, std::FILE* source, std::FILE* target, const std::string& pageLocation,
               int mode, const std::string& baseFolder)
{
    ChunkWriter writer(target);
    std::string chunk;
    chunk.reserve(2 * kMaxChunk);
    bool script = false;
    for (;;) {
        const int read = ReadHtmlChunk(reader, source, chunk, script);
        if (read == kChunkReadError)
            return writer.flush() ? kRewriteReadError : kRewriteWriteError;
        if (read == kChunkEndOfFile)
            return writer.write(chunk) && writer.flush() ? kRewriteOk : kRewriteWriteError;
        if (read == kChunkComplete) {
            script = IsScriptTag(chunk);
            if (StartsWithNoCase(chunk, "<BASE") && !StartsWithNoCase(chunk, "<BASEFONT"))
                chunk = "<!--\r\n" + chunk + "\r\n-->"; // links must not resolve against the site
            else
                RewriteTagLinks(reader, chunk, pageLocation, mode, baseFolder);
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
                    const std::string& defaultFile, int mode, const std::string& targetPath,
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
                      const std::string& defaultFile, int mode, std::FILE* target, const std::string& baseFolder)
{
    reader.defaultFile = defaultFile;
    reader.sourceBuffer.resize(kSourceBuffer);
    std::setvbuf(source, reader.sourceBuffer.data(), _IOFBF, kSourceBuffer);
    std::setvbuf(target, nullptr, _IONBF, 0);
    reader.reset(); // a stopped job may have left bytes of another file
    return CopyChunks(reader, source, target, pageLocation, mode, ConvertBaseFolder(baseFolder));
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
        const int read = ReadHtmlChunk(reader, page, chunk, script);
        if (read == kChunkReadError)
            return kRewriteReadError;
        if (read == kChunkEndOfFile)
            return kRewriteOk;
        if (read == kChunkFull)
            continue;
        script = IsScriptTag(chunk);
        if (afterTitle && !(chunk.size() == 8 && StartsWithNoCase(chunk, "</TITLE>"))) {
            title.clear();
            for (std::size_t i = 0; i < chunk.size(); ++i) {
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
