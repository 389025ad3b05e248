// Redirect pages are written by the export (further default names) and made
// for cached 3xx answers of browser caches; both use this one text.
#include "html/redirect_page_text.h"

#include "base/byte_text.h"

namespace larkspool {
namespace {

bool IsAsciiLetter(char c)
{
    return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z';
}

// text as an attribute value between double quotes: a target someone else
// wrote cannot end the attribute or open a tag.
std::string AttributeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

bool IsRedirectableTarget(std::string_view target)
{
    // A URL parser skips leading blanks and control bytes, and tabs and line
    // breaks anywhere: "java\tscript:" is still javascript.
    std::string scheme;
    for (const char c : target) {
        if (IsControlByte(c) || c == ' ')
            continue;
        if (c == ':')
            return scheme.empty() || !IsAsciiLetter(scheme.front()) || scheme == "http" || scheme == "https";
        const bool schemeByte = IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!schemeByte)
            return true; // a "/", "?" or "#" first: relative
        scheme += LowerAscii(c);
    }
    return true;
}

std::string RedirectPageText(const std::string& target)
{
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n"
           "<HTML>\r\n"
           "<HEAD>\r\n"
           "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=" +
           AttributeText(target) +
           "\">\r\n"
           "<TITLE>Made by Larkspool</TITLE>\r\n"
           "</HEAD>\r\n"
           "</HTML>\r\n";
}

} // namespace larkspool
