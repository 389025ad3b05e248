// The stylesheet scanner. Like the page scanner it is no parser: it walks
// the text once on half-open ranges, stepping over comments, strings and
// JIS runs, and stops only at "url(" (not inside a longer name) and at
// "@import". The bytes between links are copied as they came.
//   a { background: url(/i/a.png) }      sheet host/css/   -> url(../i/a.png)
//   @import "/b.css";                                      -> @import "../b.css";
//   src: url("f\).woff")                 read as f).woff   -> url("../f).woff") when rewritten
//   /* url(/x.png) */  content: "url(/y)"                  -> unchanged
// Shift-JIS: a backslash that is the trail byte of a double-byte character
// escapes nothing.
#include "html/css_links.h"

#include "cache/url_escapes.h"
#include "base/byte_text.h"
#include "html/page_links.h"

namespace larkspool {
namespace {

constexpr char kEsc = '\x1B';

bool IsCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '\\' || static_cast<unsigned char>(c) >= 0x80;
}

void AppendUtf8(std::string& out, unsigned long code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class CssScanner {
public:
    CssScanner(std::string_view css, const PageLinks& links, std::string& out) : m_css(css), m_links(links), m_out(out)
    {
    }

    void Run()
    {
        while (m_at < m_css.size()) {
            const char c = m_css[m_at];
            if (c == '/' && At("/*"))
                SkipComment();
            else if (c == '"' || c == '\'')
                SkipString();
            else if (c == kEsc)
                SkipJis();
            else if (c == '\\')
                m_at += 2; // an escaped byte starts nothing
            else if ((c == 'u' || c == 'U') && StartsWithNoCase(m_css.substr(m_at), "url(") && !AfterName())
                Url();
            else if (c == '@' && StartsWithNoCase(m_css.substr(m_at), "@import") && !IsNameByte(ByteAt(m_at + 7)))
                Import();
            else if (IsShiftJisLeadByte(c) && ByteAt(m_at + 1) == '\\')
                m_at += 2;
            else
                ++m_at;
        }
        m_out.append(m_css.substr(m_copied));
    }

private:
    bool At(std::string_view text) const { return m_css.substr(m_at).starts_with(text); }
    char ByteAt(std::size_t at) const { return at < m_css.size() ? m_css[at] : '\0'; }
    bool AfterName() const { return m_at > 0 && IsNameByte(m_css[m_at - 1]); }

    void SkipComment()
    {
        const std::size_t end = m_css.find("*/", m_at + 2);
        m_at = end == std::string_view::npos ? m_css.size() : end + 2;
    }

    void SkipJis()
    {
        if (!m_css.substr(m_at).starts_with("\x1B$B")) {
            ++m_at;
            return;
        }
        const std::size_t end = m_css.find("\x1B(", m_at + 3);
        m_at = end == std::string_view::npos ? m_css.size() : end + 2;
    }

    void SkipSpace(std::size_t& at) const
    {
        while (at < m_css.size() && IsCssSpace(m_css[at]))
            ++at;
    }

    // Skips spaces and comments, as between @import and its string.
    void SkipSpaceAndComments(std::size_t& at) const
    {
        for (;;) {
            SkipSpace(at);
            if (!m_css.substr(at).starts_with("/*"))
                return;
            const std::size_t end = m_css.find("*/", at + 2);
            at = end == std::string_view::npos ? m_css.size() : end + 2;
        }
    }

    // Reads one escape at m_css[at] == '\\' into value; false for a
    // backslash before a line break, which ends a bare url.
    bool ReadEscape(std::size_t& at, std::string& value) const
    {
        ++at;
        if (at >= m_css.size())
            return true;
        if (HexDigitValue(m_css[at]) >= 0) {
            unsigned long code = 0;
            for (int n = 0; n < 6 && at < m_css.size() && HexDigitValue(m_css[at]) >= 0; ++n)
                code = code * 16 + static_cast<unsigned long>(HexDigitValue(m_css[at++]));
            if (at < m_css.size() && IsCssSpace(m_css[at]))
                at += m_css.substr(at).starts_with("\r\n") ? 2 : 1;
            AppendUtf8(value, code);
            return true;
        }
        if (m_css[at] == '\n' || m_css[at] == '\r' || m_css[at] == '\f')
            return false;
        value += m_css[at++];
        return true;
    }

    // The string whose quote is at `at`; at goes past its end. False for a
    // string a line break or the end cuts off.
    bool ReadString(std::size_t& at, std::string& value, bool& escaped) const
    {
        const char quote = m_css[at++];
        while (at < m_css.size()) {
            const char c = m_css[at];
            if (c == quote) {
                ++at;
                return true;
            }
            if (c == '\n' || c == '\r' || c == '\f')
                return false;
            if (c == '\\') {
                escaped = true;
                if (at + 1 < m_css.size() && (m_css[at + 1] == '\n' || m_css[at + 1] == '\r' || m_css[at + 1] == '\f')) {
                    at += m_css.substr(at + 1).starts_with("\r\n") ? 3 : 2; // a continued line
                    continue;
                }
                ReadEscape(at, value);
                continue;
            }
            value += c;
            ++at;
            if (IsShiftJisLeadByte(c) && at < m_css.size() && m_css[at] == '\\')
                value += m_css[at++];
        }
        return false;
    }

    void SkipString()
    {
        std::string ignored;
        bool escaped = false;
        if (!ReadString(m_at, ignored, escaped) && m_at < m_css.size())
            ++m_at; // past the line break that cut it off
    }

    // Writes the link of [begin, end), read as value, through the rule;
    // quote is the string's quote, or 0 in a bare url.
    void Replace(std::size_t begin, std::size_t end, const std::string& value, bool escaped, char quote)
    {
        if (value.empty() || value.size() > 1023 || StartsWithNoCase(value, "data:") || value.front() == '#')
            return;
        const std::string link = m_links.Rewrite(value);
        if (escaped && link == value)
            return;
        m_out.append(m_css.substr(m_copied, begin - m_copied));
        for (std::size_t i = 0; i < link.size(); ++i) {
            const char c = link[i];
            if (IsShiftJisLeadByte(c) && i + 1 < link.size() && link[i + 1] == '\\') {
                m_out.append(link, i++, 2);
                continue;
            }
            const bool special = c == '\\' || c == '\n' || c == '\r' || c == '\f'
                || (quote ? c == quote : c == '(' || c == ')' || c == '"' || c == '\'' || c == ' ' || c == '\t');
            if (special)
                m_out += '\\';
            m_out += c;
        }
        m_copied = end;
    }

    // At "url(": a string url or a bare one, then ")".
    void Url()
    {
        std::size_t at = m_at + 4;
        m_at = at;
        SkipSpace(at);
        std::string value;
        bool escaped = false;
        if (at < m_css.size() && (m_css[at] == '"' || m_css[at] == '\'')) {
            const char quote = m_css[at];
            const std::size_t begin = at + 1;
            if (!ReadString(at, value, escaped))
                return; // the string is looked at again from m_at, and skipped
            const std::size_t end = at - 1;
            SkipSpace(at);
            if (ByteAt(at) != ')')
                return;
            Replace(begin, end, value, escaped, quote);
            m_at = at + 1;
            return;
        }
        const std::size_t begin = at;
        while (at < m_css.size() && m_css[at] != ')' && !IsCssSpace(m_css[at])) {
            const char c = m_css[at];
            if (c == '"' || c == '\'' || c == '(' || IsControlByte(c) || c == 0x7F)
                return;
            if (c == '\\') {
                escaped = true;
                if (!ReadEscape(at, value))
                    return;
                continue;
            }
            value += c;
            ++at;
            if (IsShiftJisLeadByte(c) && at < m_css.size() && m_css[at] == '\\')
                value += m_css[at++];
        }
        const std::size_t end = at;
        SkipSpace(at);
        if (ByteAt(at) != ')')
            return;
        Replace(begin, end, value, escaped, 0);
        m_at = at + 1;
    }

    // At "@import": its string, or a url() the main loop takes.
    void Import()
    {
        std::size_t at = m_at + 7;
        m_at = at;
        SkipSpaceAndComments(at);
        if (at >= m_css.size() || (m_css[at] != '"' && m_css[at] != '\''))
            return;
        const char quote = m_css[at];
        const std::size_t begin = at + 1;
        std::string value;
        bool escaped = false;
        if (!ReadString(at, value, escaped))
            return;
        Replace(begin, at - 1, value, escaped, quote);
        m_at = at;
    }

    std::string_view m_css;
    const PageLinks& m_links;
    std::string& m_out;
    std::size_t m_at = 0;
    std::size_t m_copied = 0; // css bytes before it are in m_out
};

} // namespace

void RewriteCssLinks(std::string_view css, const PageLinks& links, std::string& out)
{
    CssScanner(css, links, out).Run();
}

} // namespace larkspool
