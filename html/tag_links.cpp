// The attribute rewriter. One pass over the tag cuts it into attributes as
// the chunk scanner reads quotes: a byte other than a space, ">", "/", CR or
// LF right after a closing quote reopens the value, so <A TITLE="x"HREF="y">
// holds one attribute. Only the bytes of a link change: the tag name, the
// other attributes, spacing, quotes and case stay as they came.
//   <IMG SRCSET="/a.png 1x, /b.png 2x" SRC=/a.png>   page host/dir/
//   -> <IMG SRCSET="../a.png 1x, ../b.png 2x" SRC=../a.png>
//   <META HTTP-EQUIV=Refresh CONTENT="5; URL=/n.htm"> -> CONTENT="5; URL=../n.htm"
#include "html/tag_links.h"

#include "base/byte_text.h"
#include "html/css_links.h"
#include "html/page_links.h"

#include <array>

namespace larkspool {
namespace {

enum class ValueKind { Link, CandidateList, Refresh, Style };

struct LinkAttribute {
    std::string_view name;
    ValueKind kind;
    std::string_view onlyIn; // the one tag that has it; empty: every tag
};

constexpr LinkAttribute kLinkAttributes[] = {
    {"HREF", ValueKind::Link, {}},       {"SRC", ValueKind::Link, {}},
    {"NEWSRC", ValueKind::Link, {}},     {"OLDSRC", ValueKind::Link, {}},
    {"BACKGROUND", ValueKind::Link, {}}, {"POSTER", ValueKind::Link, {}},
    {"XLINK:HREF", ValueKind::Link, {}}, {"DATA", ValueKind::Link, "OBJECT"},
    {"SRCSET", ValueKind::CandidateList, {}}, {"IMAGESRCSET", ValueKind::CandidateList, {}},
    {"CONTENT", ValueKind::Refresh, "META"},     {"STYLE", ValueKind::Style, {}},
};
constexpr std::size_t kAttributeCount = std::size(kLinkAttributes);
constexpr std::string_view kKeptSchemes[] = {"mailto:", "ftp://", "gopher://"};

bool IsBlank(char c)
{
    return c == ' ' || IsControlByte(c);
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// One attribute of a tag: its name and its value [valueBegin, valueEnd).
struct Attribute {
    std::string_view name;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
    bool hasValue = false;
};

// Walks the attributes of a tag chunk in order.
class AttributeWalk {
public:
    explicit AttributeWalk(std::string_view tag) : m_tag(tag), m_at(1)
    {
        while (m_at < m_tag.size() && !IsBlank(m_tag[m_at]) && m_tag[m_at] != '>')
            ++m_at;
        m_tagName = m_tag.substr(1, m_at - 1);
    }

    std::string_view TagName() const { return m_tagName; }

    // The next attribute; false at the end of the tag.
    bool Next(Attribute& attribute)
    {
        while (m_at < m_tag.size() && (IsBlank(m_tag[m_at]) || m_tag[m_at] == '/'))
            ++m_at;
        if (m_at >= m_tag.size() || m_tag[m_at] == '>')
            return false;
        const std::size_t nameBegin = m_at;
        while (m_at < m_tag.size() && !IsBlank(m_tag[m_at]) && m_tag[m_at] != '=' && m_tag[m_at] != '>')
            ++m_at;
        attribute = {m_tag.substr(nameBegin, m_at - nameBegin)};
        std::size_t at = m_at;
        SkipBlanks(at);
        if (at >= m_tag.size() || m_tag[at] != '=')
            return true;
        ++at;
        SkipBlanks(at);
        attribute.hasValue = true;
        if (at < m_tag.size() && IsQuote(m_tag[at])) {
            const char quote = m_tag[at++];
            SkipBlanks(at); // blanks inside the quote stay before the link
            attribute.valueBegin = at;
            attribute.valueEnd = QuotedEnd(at, quote);
        } else {
            attribute.valueBegin = at;
            while (at < m_tag.size() && !IsBlank(m_tag[at]) && m_tag[at] != '>')
                ++at;
            attribute.valueEnd = at;
            m_at = at;
        }
        return true;
    }

private:
    void SkipBlanks(std::size_t& at) const
    {
        while (at < m_tag.size() && IsBlank(m_tag[at]))
            ++at;
    }

    // Where the value ends; m_at goes past its closing quote and any value
    // the quote reopens. Without a closing quote the value runs to the last
    // ">" of the tag.
    std::size_t QuotedEnd(std::size_t from, char quote)
    {
        const std::size_t close = m_tag.find(quote, from);
        if (close == std::string_view::npos) {
            const std::size_t last = m_tag.rfind('>');
            m_at = m_tag.size();
            return last == std::string_view::npos || last < from ? m_tag.size() : last;
        }
        std::size_t at = close + 1;
        while (at < m_tag.size() && m_tag[at] != ' ' && m_tag[at] != '>' && m_tag[at] != '/' && m_tag[at] != '\r'
               && m_tag[at] != '\n') {
            const std::size_t next = m_tag.find(quote, at);
            at = next == std::string_view::npos ? m_tag.size() : next + 1;
        }
        m_at = at;
        return close;
    }

    std::string_view m_tag;
    std::size_t m_at;
    std::string_view m_tagName;
};

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

void AppendLink(std::string& out, std::string_view link, const PageLinks& links)
{
    if (IsKeptLink(link))
        out.append(link);
    else
        out.append(links.Rewrite(link));
}

// A srcset: candidates split at commas, each a URL (which may hold commas
// itself, as a data: URL does) and descriptors that stay as they are.
void AppendCandidates(std::string& out, std::string_view list, const PageLinks& links)
{
    std::size_t at = 0;
    while (at < list.size()) {
        while (at < list.size() && (IsBlank(list[at]) || list[at] == ','))
            out += list[at++];
        const std::size_t begin = at;
        while (at < list.size() && !IsBlank(list[at]))
            ++at;
        std::size_t end = at;
        while (end > begin && list[end - 1] == ',')
            --end;
        AppendLink(out, list.substr(begin, end - begin), links);
        if (end != at) { // trailing commas end the candidate
            out.append(list.substr(end, at - end));
            continue;
        }
        int depth = 0;
        const std::size_t descriptors = at;
        while (at < list.size() && (list[at] != ',' || depth > 0)) {
            depth += list[at] == '(' ? 1 : list[at] == ')' && depth > 0 ? -1 : 0;
            ++at;
        }
        out.append(list.substr(descriptors, at - descriptors));
    }
}

// "5; url=x", "0;URL='x'" or "3, x": the delay, then the URL.
void AppendRefresh(std::string& out, std::string_view content, const PageLinks& links)
{
    std::size_t at = 0;
    while (at < content.size() && ((content[at] >= '0' && content[at] <= '9') || content[at] == '.' || IsBlank(content[at])))
        ++at;
    if (at == 0 || at >= content.size() || (content[at] != ';' && content[at] != ',')) {
        out.append(content);
        return;
    }
    ++at;
    while (at < content.size() && IsBlank(content[at]))
        ++at;
    if (StartsWithNoCase(content.substr(at), "URL")) {
        std::size_t equals = at + 3;
        while (equals < content.size() && IsBlank(content[equals]))
            ++equals;
        if (equals < content.size() && content[equals] == '=') {
            at = equals + 1;
            while (at < content.size() && IsBlank(content[at]))
                ++at;
        }
    }
    std::size_t end = content.size();
    if (at < content.size() && IsQuote(content[at])) {
        const std::size_t close = content.find(content[at], at + 1);
        ++at;
        if (close != std::string_view::npos)
            end = close;
    }
    out.append(content.substr(0, at));
    AppendLink(out, content.substr(at, end - at), links);
    out.append(content.substr(end));
}

bool IsRefreshMeta(std::string_view chunk)
{
    const auto equiv = TagAttributeValue(chunk, "HTTP-EQUIV");
    return equiv && StartsWithNoCase(*equiv, "refresh");
}

} // namespace

std::optional<std::string_view> TagAttributeValue(std::string_view chunk, std::string_view name)
{
    if (chunk.empty() || chunk.front() != '<')
        return std::nullopt;
    AttributeWalk walk(chunk);
    Attribute attribute;
    while (walk.Next(attribute)) {
        if (attribute.hasValue && EqualNoCase(attribute.name, name))
            return chunk.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin);
    }
    return std::nullopt;
}

void RewriteTagLinks(std::string& chunk, const PageLinks& links)
{
    // Without an "=" no attribute has a value to rewrite.
    if (chunk.empty() || chunk.front() != '<' || chunk.starts_with("<!--") || chunk.find('=') == std::string::npos)
        return;

    thread_local std::string out; // kept to spare an allocation per tag
    out.clear();
    std::size_t copied = 0; // chunk bytes before it are in out
    std::array<bool, kAttributeCount> done{};
    AttributeWalk walk(chunk);
    Attribute attribute;
    while (walk.Next(attribute)) {
        if (!attribute.hasValue)
            continue;
        std::size_t i = 0;
        while (i < kAttributeCount && !EqualNoCase(attribute.name, kLinkAttributes[i].name))
            ++i;
        if (i == kAttributeCount || done[i])
            continue;
        done[i] = true;
        const LinkAttribute& rule = kLinkAttributes[i];
        if (!rule.onlyIn.empty() && !EqualNoCase(walk.TagName(), rule.onlyIn))
            continue;
        if (rule.kind == ValueKind::Refresh && !IsRefreshMeta(chunk))
            continue;
        const std::string_view value =
            std::string_view(chunk).substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin);
        out.append(chunk, copied, attribute.valueBegin - copied);
        copied = attribute.valueEnd;
        switch (rule.kind) {
        case ValueKind::Link:
            AppendLink(out, value, links);
            break;
        case ValueKind::CandidateList:
            AppendCandidates(out, value, links);
            break;
        case ValueKind::Refresh:
            AppendRefresh(out, value, links);
            break;
        case ValueKind::Style:
            RewriteCssLinks(value, links, out);
            break;
        }
    }
    if (copied == 0)
        return;
    out.append(chunk, copied);
    chunk.swap(out);
}

} // namespace larkspool
