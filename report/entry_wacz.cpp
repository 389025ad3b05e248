// The package follows WACZ 1.1.1: datapackage.json names each member with
// its size and hash, datapackage-digest.json the hash of that description.
// Pages are the HTML responses of status 200 (or resources without a head).
#include "report/entry_wacz.h"

#include "archive/sha256.h"
#include "archive/surt.h"
#include "archive/zip_package.h"
#include "cache/file_time.h"
#include "report/entry_report.h"
#include "report/report_text.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace larkspool {
namespace {

constexpr const char* kWarcName = "data.warc.gz";

std::string Json(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string Trimmed(std::string text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

bool IsPage(const WarcRecordPlace& place)
{
    return Trimmed(place.mime) == "text/html" && (place.status.empty() || place.status == "200");
}

std::string PagesText(const std::vector<WarcRecordPlace>& places)
{
    std::string text = "{\"format\": \"json-pages-1.0\", \"id\": \"pages\", \"title\": \"All Pages\"}\n";
    for (const WarcRecordPlace& place : places) {
        if (!IsPage(place))
            continue;
        text += "{\"url\": " + Json(place.url) + ", \"ts\": " + Json(place.date);
        if (!place.title.empty())
            text += ", \"title\": " + Json(place.title);
        text += "}\n";
    }
    return text;
}

std::string IndexText(const std::vector<WarcRecordPlace>& places)
{
    std::vector<std::string> lines;
    lines.reserve(places.size());
    for (const WarcRecordPlace& place : places)
        lines.push_back(CdxjLine(place, kWarcName));
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

struct Resource {
    std::string path;
    std::string hash;
    std::uint64_t bytes = 0;
};

std::string TextHash(const std::string& text)
{
    archive::Sha256 hash;
    hash.Update(text.data(), text.size());
    return hash.HexDigest();
}

std::string PackageText(const std::vector<Resource>& resources)
{
    std::string text = "{\n  \"profile\": \"data-package\",\n  \"wacz_version\": \"1.1.1\",\n  \"software\": " +
                       Json("Larkspool " LARKSPOOL_VERSION) + ",\n  \"created\": " +
                       Json(UtcTicksText(NowTicks())) + ",\n  \"resources\": [";
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const Resource& resource = resources[i];
        const std::string name = resource.path.substr(resource.path.rfind('/') + 1);
        text += std::string(i ? "," : "") + "\n    {\"name\": " + Json(name) + ", \"path\": " + Json(resource.path) +
                ", \"hash\": \"sha256:" + resource.hash + "\", \"bytes\": " + std::to_string(resource.bytes) + "}";
    }
    return text + "\n  ]\n}\n";
}

// A folder of its own beside path, removed with what is in it.
class PartsFolder {
public:
    explicit PartsFolder(const std::string& path)
    {
        std::string pattern = path + ".parts-XXXXXX";
        if (::mkdtemp(pattern.data()))
            m_folder = pattern;
    }
    ~PartsFolder()
    {
        std::error_code ignored;
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder, ignored);
    }
    PartsFolder(const PartsFolder&) = delete;
    PartsFolder& operator=(const PartsFolder&) = delete;
    const std::string& Path() const { return m_folder; }

private:
    std::string m_folder;
};

} // namespace

std::string CdxjLine(const WarcRecordPlace& place, const std::string& warcName)
{
    std::string timestamp;
    for (const char c : place.date)
        if (c >= '0' && c <= '9')
            timestamp += c;
    std::string json = "{\"url\": " + Json(place.url) + ", \"mime\": " + Json(Trimmed(place.mime));
    if (!place.status.empty())
        json += ", \"status\": " + Json(place.status);
    json += ", \"digest\": " + Json(place.digest) + ", \"length\": " + std::to_string(place.length) +
            ", \"offset\": " + std::to_string(place.offset) + ", \"filename\": " + Json(warcName) + "}";
    return archive::SurtKey(place.url) + " " + timestamp + " " + json;
}

WarcExport ExportWacz(UrlCache& cache, const std::string& cacheFolder, const std::vector<TCacheEntry*>& entries,
                      const std::string& path, const std::function<void(std::size_t index)>& progress)
{
    WarcExport result;
    const PartsFolder parts(path);
    if (parts.Path().empty()) {
        result.error = "cannot make a folder beside " + path + " for the archive's parts: " +
                       std::error_code(errno, std::generic_category()).message();
        return result;
    }
    const std::string warcPath = parts.Path() + "/" + kWarcName;
    std::vector<WarcRecordPlace> places;
    result = ExportWarc(cache, cacheFolder, entries, warcPath, progress,
                        [&](const WarcRecordPlace& place) { places.push_back(place); });
    if (!result.error.empty())
        return result;

    const std::string index = IndexText(places);
    const std::string pages = PagesText(places);
    Resource warc{"archive/" + std::string(kWarcName)};
    warc.hash = archive::FileSha256(warcPath, warc.bytes);
    const std::vector<Resource> resources = {warc,
                                             {"indexes/index.cdx", TextHash(index), index.size()},
                                             {"pages/pages.jsonl", TextHash(pages), pages.size()}};
    for (const Resource& resource : resources)
        if (resource.hash.empty()) {
            result.error = "cannot hash the archive's " + resource.path + " (" + warcPath + ")";
            return result;
        }
    const std::string package = PackageText(resources);
    const std::string digest =
        "{\"path\": \"datapackage.json\", \"hash\": \"sha256:" + TextHash(package) + "\"}\n";
    std::string error;
    if (!archive::WriteStoredZip(path,
                                 {{warc.path, warcPath, {}},
                                  {"indexes/index.cdx", {}, index},
                                  {"pages/pages.jsonl", {}, pages},
                                  {"datapackage.json", {}, package},
                                  {"datapackage-digest.json", {}, digest}},
                                 error))
        result.error = error;
    return result;
}

} // namespace larkspool
