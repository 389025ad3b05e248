// Normalising stored response heads to "\r\n"-ended lines.
#include "browsercache/response_head.h"

namespace larkspool::browsercache {

std::string HeadFromLines(std::string_view raw, char separator)
{
    std::string head;
    while (!raw.empty()) {
        const std::size_t end = raw.find(separator);
        std::string_view line = raw.substr(0, end);
        raw.remove_prefix(end == std::string_view::npos ? raw.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty())
            break;
        head.append(line).append("\r\n");
    }
    return head;
}

} // namespace larkspool::browsercache
