// A page is an .htm file whatever its URL says, so that the export rewrites
// its links (page.php becomes page.php.htm, as page.asp does); anything else
// keeps its URL's extension, so that links to it still match, and takes the
// type's only when the URL has none.
#include "browsercache/local_file_extension.h"

#include "base/byte_text.h"

#include <cctype>
#include <utility>

namespace larkspool::browsercache {
namespace {

constexpr std::pair<std::string_view, std::string_view> kTypeExtensions[] = {
    {"text/html", "htm"},
    {"application/xhtml+xml", "htm"},
    {"text/css", "css"},
    {"text/javascript", "js"},
    {"application/javascript", "js"},
    {"application/x-javascript", "js"},
    {"application/json", "json"},
    {"text/plain", "txt"},
    {"text/xml", "xml"},
    {"application/xml", "xml"},
    {"image/png", "png"},
    {"image/jpeg", "jpg"},
    {"image/gif", "gif"},
    {"image/webp", "webp"},
    {"image/avif", "avif"},
    {"image/svg+xml", "svg"},
    {"image/x-icon", "ico"},
    {"image/vnd.microsoft.icon", "ico"},
    {"image/bmp", "bmp"},
    {"font/woff", "woff"},
    {"font/woff2", "woff2"},
    {"font/ttf", "ttf"},
    {"font/otf", "otf"},
    {"application/pdf", "pdf"},
    {"application/wasm", "wasm"},
    {"audio/mpeg", "mp3"},
    {"audio/ogg", "ogg"},
    {"audio/wav", "wav"},
    {"audio/mp4", "m4a"},
    {"audio/aac", "aac"},
    {"audio/flac", "flac"},
    {"video/mp4", "mp4"},
    {"video/webm", "webm"},
    {"video/ogg", "ogv"},
    {"video/quicktime", "mov"},
    // Other names of the types above, which a file's name may have: never
    // the name given to a type.
    {"image/jpeg", "jpeg"},
    {"text/html", "shtml"},
    {"text/html", "xhtml"},
    {"text/javascript", "mjs"},
    {"audio/ogg", "oga"},
};

// The URL's last segment's extension, query and fragment set aside; only
// letters and digits, at most 8 of them.
std::string UrlExtension(std::string_view url)
{
    url = url.substr(0, url.find_first_of("?#"));
    const std::size_t scheme = url.find("//");
    if (scheme != std::string_view::npos)
        url.remove_prefix(scheme + 2);
    const std::size_t slash = url.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    const std::string_view name = url.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size() || name.size() - dot - 1 > 8)
        return {};
    const std::string_view extension = name.substr(dot + 1);
    for (const char c : extension)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return {};
    return std::string(extension);
}

} // namespace

std::string LocalFileExtension(std::string_view contentType, std::string_view url)
{
    std::string type = LowerAsciiText(contentType.substr(0, contentType.find(';')));
    type.erase(0, type.find_first_not_of(" \t"));
    type.erase(type.find_last_not_of(" \t") + 1);
    std::string_view byType;
    for (const auto& [known, extension] : kTypeExtensions) {
        if (type == known) {
            byType = extension;
            break;
        }
    }
    if (byType == "htm")
        return std::string(byType);
    std::string byUrl = UrlExtension(url);
    return byUrl.empty() ? std::string(byType) : byUrl;
}

std::string ContentTypeOfExtension(std::string_view extension)
{
    std::string wanted = LowerAsciiText(extension);
    if (wanted == "html")
        wanted = "htm";
    for (const auto& [type, known] : kTypeExtensions)
        if (known == wanted)
            return std::string(type);
    return {};
}

} // namespace larkspool::browsercache
