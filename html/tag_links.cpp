// The attribute rewriter. Attribute names are found by plain substring search
// in an upper-cased copy of the tag, so "SRC" also matches inside "NEWSRC";
// an occurrence that lies inside a quoted value is left alone, which keeps
// <A TITLE="see HREF" HREF="x"> as it is. Only the value's bytes change:
// the tag name, the other attributes, spacing and case stay as they came.
#include "html/tag_links.h"

#include "html/byte_text.h"
#include "html/html_reader.h"
#include "html/link_resolution.h"

#include <cstdint>
#include <cstring>

namespace larkspool {
namespace {

constexpr std::string_view kLinkAttributes[] = {"NEWSRC", "OLDSRC", "SRC", "HREF", "BACKGROUND"};
constexpr std::string_view kKeptSchemes[] = {"mailto:", "ftp://", "gopher://"};

// Upper-cases single-byte characters; both bytes of a Shift-JIS character
// stay as they are, so a trail byte never turns into a letter of a name.
// Upper-casing leaves every byte from 0x80 up alone, so only the trail bytes
// need a second look, and only in a tag that has such bytes at all. Eight
// bytes are upper-cased at a time: every tag with a link goes through here
// twice.
void UpperCaseCopy(std::string_view text, std::string& out)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x80 * kOnes;
    out.resize(text.size());
    std::uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, text.data() + i, 8);
        // Per byte, no carry between them: bit 7 of low + 0x1F says >= 'a',
        // of low + 0x05 says > 'z'; a lower-case ASCII letter loses 0x20.
        const std::uint64_t low = bytes & (0x7F * kOnes);
        const std::uint64_t letters = (low + (0x80 - 'a') * kOnes) & ~(low + (0x80 - 'z' - 1) * kOnes) & ~bytes & kHigh;
        high |= bytes;
        bytes ^= letters >> 2;
        std::memcpy(out.data() + i, &bytes, 8);
    }
    bool wide = (high & kHigh) != 0;
    for (; i < text.size(); ++i) {
        out[i] = UpperAscii(text[i]);
        wide |= static_cast<unsigned char>(text[i]) >= 0x80;
    }
    if (!wide)
        return;
    for (i = 0; i + 1 < text.size(); ++i) {
        if (IsShiftJisLeadByte(text[i])) {
            ++i;
            out[i] = text[i];
        }
    }
}

// Whether the byte at `at` lies in a quoted value. Any quote toggles, and a
// byte other than a space, ">", CR or LF right after a closing quote reopens
// the value, as the scanner sees it.
bool IsQuotedAt(std::string_view text, std::size_t at)
{
    bool quoted = false;
    bool afterQuote = false;
    for (std::size_t i = 0; i <= at; ++i) {
        const char c = text[i];
        if (afterQuote && !quoted && c != ' ' && c != '>' && c != '\r' && c != '\n')
            quoted = true;
        afterQuote = false;
        if (i < at && (c == '"' || c == '\'')) {
            quoted = !quoted;
            afterQuote = true;
        }
    }
    return quoted;
}

bool IsBlank(char c)
{
    return c == ' ' || IsControlByte(c);
}

// The value [begin, end) of the attribute whose "=" is at `equals`. A double
// quoted value is what lies between the quotes without its leading blanks;
// any other value (apostrophes included) runs to the next space. Without its
// end character a value runs to the last ">" of the tag, or to its end.
std::pair<std::size_t, std::size_t> ValueRange(std::string_view tag, std::size_t equals)
{
    std::size_t begin = equals + 1;
    const auto skipBlanks = [&] {
        while (begin < tag.size() && IsBlank(tag[begin]))
            ++begin;
    };
    skipBlanks();
    std::size_t end;
    if (begin < tag.size() && tag[begin] == '"') {
        ++begin;
        skipBlanks();
        end = tag.find('"', begin);
    } else {
        end = tag.find(' ', begin);
    }
    if (end == std::string_view::npos) {
        end = tag.rfind('>');
        if (end == std::string_view::npos || end < begin)
            end = tag.size();
    }
    return {begin, end};
}

bool IsKeptLink(std::string_view value)
{
    if (value.empty() || value.size() > kMaxLinkValue)
        return true;
    for (const std::string_view scheme : kKeptSchemes) {
        if (StartsWithNoCase(value, scheme))
            return true;
    }
    return false;
}

} // namespace

void RewriteTagLinks(const HtmlReader& reader, std::string& chunk, std::string_view pageLocation,
                     int mode, std::string_view baseFolder)
{
    // Without an "=" no attribute has a value to rewrite.
    if (chunk.empty() || chunk.front() != '<' || chunk.starts_with("<!--")
        || chunk.find('=') == std::string::npos)
        return;

    thread_local std::string upper; // kept to spare an allocation per tag
    UpperCaseCopy(chunk, upper);
    for (const std::string_view name : kLinkAttributes) {
        const std::size_t at = upper.find(name);
        if (at == std::string::npos || IsQuotedAt(upper, at))
            continue;
        const std::size_t equals = upper.find('=', at + name.size());
        if (equals == std::string::npos)
            continue;
        const auto [begin, end] = ValueRange(chunk, equals);
        const std::string_view value = std::string_view(chunk).substr(begin, end - begin);
        if (IsKeptLink(value))
            continue;
        const std::string link = mode == kExportMode
            ? ResolveExportLink(value, pageLocation, reader.defaultFile)
            : ResolveImportLink(value, baseFolder);
        chunk.replace(begin, end - begin, link);
        UpperCaseCopy(chunk, upper);
    }
}

} // namespace larkspool
