#include "archive/http_head.h"

#include "base/byte_text.h"

#include <algorithm>

namespace larkspool::archive {
namespace {

// Headers that describe the bytes as they travelled, not as they are kept.
bool DescribesTransfer(std::string_view name)
{
    return EqualNoCase(name, "Transfer-Encoding") || EqualNoCase(name, "Content-Encoding") ||
           EqualNoCase(name, "Content-Length");
}

void AppendLineText(std::string& out, std::string_view text)
{
    for (const char c : text)
        out += c == '\r' || c == '\n' || c == '\0' ? ' ' : c;
}

} // namespace

std::string ResponseBlockHead(std::string_view statusLine, const HeaderPairs& headers, std::uint64_t payloadBytes)
{
    std::string head;
    AppendLineText(head, statusLine);
    head += "\r\n";
    for (const auto& [name, value] : headers) {
        if (name.empty() || DescribesTransfer(name))
            continue;
        AppendLineText(head, name);
        head += ": ";
        AppendLineText(head, value);
        head += "\r\n";
    }
    head += "Content-Length: " + std::to_string(payloadBytes) + "\r\n\r\n";
    return head;
}

} // namespace larkspool::archive
