// The import source walk: domain folders, the files below them, and the URL
// each file gets back (escapes decoded, ".asp.htm" pages named ".asp" again).
#include "import/import_source.h"

#include "catalogue/cache_entry.h"
#include "export/file_helpers.h"
#include "html/byte_text.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace larkspool {
namespace {

namespace fs = std::filesystem;

int HexValue(char c)
{
    return c <= '9' ? c - '0' : (UpperAscii(c) - 'A' + 10);
}

// "%xx" with two hex digits becomes that byte; any other "%" stays.
std::string DecodeEscapes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && IsHexDigit((unsigned char)text[i + 1]) &&
            IsHexDigit((unsigned char)text[i + 2])) {
            out += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::vector<std::string> FillDomainList(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });
    return names;
}

int CollectImportFiles(const std::string& source, const std::string& relative, std::vector<ImportFileRecord>& list)
{
    std::error_code error;
    fs::directory_iterator it(source + "/" + relative, error);
    if (error)
        return -1;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            return -1;
        const std::string path = relative + "/" + it->path().filename().string();
        const fs::file_status own = it->symlink_status(error);
        const fs::file_status target = fs::is_symlink(own) ? it->status(error) : own;
        int result = 0;
        if (fs::is_directory(own))
            result = CollectImportFiles(source, path, list);
        else if (fs::is_directory(target) || fs::is_other(target))
            continue;
        else
            result = AddImportFile(source, path, list);
        if (result != 0)
            return -1;
    }
    return error ? -1 : 0;
}

int AddImportFile(const std::string& source, const std::string& relativePath, std::vector<ImportFileRecord>& list)
{
    ImportFileRecord record;
    record.Url = DecodeEscapes("http://" + relativePath);
    std::replace(record.Url.begin(), record.Url.end(), '\\', '/');
    // The export names an .asp page cached as .htm "page.asp.htm".
    const std::size_t asp = record.Url.find(".asp.htm");
    if (asp != std::string::npos)
        record.Url.resize(asp + 4);
    record.LocalPath = source + "/" + relativePath;
    const std::string fileName = relativePath.substr(relativePath.rfind('/') + 1);
    const std::size_t dot = fileName.rfind('.');
    record.Extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    if (GetFileTimeAndSize(record.LocalPath, record.Modified, record.Size) != 0)
        return -1;
    list.push_back(std::move(record));
    return 0;
}

int CollectDomains(const std::string& source, const std::vector<std::string>& domains,
                   std::vector<ImportFileRecord>& list)
{
    list.clear();
    for (const std::string& domain : domains) {
        if (CollectImportFiles(source, domain, list) != 0) {
            list.clear();
            return -1;
        }
    }
    return 0;
}

} // namespace larkspool
