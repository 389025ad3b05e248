#include "archive/http_head.h"

#include <algorithm>
#include <cctype>

namespace larkspool::archive {
namespace {

bool EqualAsciiFolded(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Headers that describe the bytes as they travelled, not as they are kept.
bool DescribesTransfer(std::string_view name)
{
    return EqualAsciiFolded(name, "Transfer-Encoding") || EqualAsciiFolded(name, "Content-Encoding") ||
           EqualAsciiFolded(name, "Content-Length");
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
