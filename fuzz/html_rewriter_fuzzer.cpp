// Fuzzes the link rewriter: the input is written to a page file and rewritten
// in both modes, its title read, and its first bytes used as one tag and one
// link for the attribute rewriter and the resolutions, and as a stylesheet
// for the stylesheet scanner.
#include "html/css_links.h"
#include "html/html_rewriter.h"
#include "html/url_resolution.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Removed when the fuzzer exits.
struct Scratch {
    Scratch()
        : path(std::filesystem::temp_directory_path() / ("larkspool-html-fuzz-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

const std::string& ScratchFolder()
{
    static const Scratch scratch;
    static const std::string folder = scratch.path.string();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string source = ScratchFolder() + "/in.htm";
    const std::string target = ScratchFolder() + "/out.htm";
    if (std::FILE* file = std::fopen(source.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    larkspool::HtmlReader reader;
    larkspool::RewriteHtmlFile(reader, source, "host/dir/sub/", "index.html", larkspool::RewriteMode::Export,
                               target, "C:\\My Export");
    larkspool::RewriteHtmlFile(reader, source, "", "", larkspool::RewriteMode::Import, target, "C:\\My Export");
    std::string title;
    larkspool::ExtractHtmlTitle(reader, source, title);

    std::string tag = "<" + bytes;
    larkspool::RewriteTagLinks(tag, larkspool::PageLinks::ForExport("h/", ""));
    larkspool::ResolveExportLink(bytes, bytes.substr(0, size / 2), "d");
    larkspool::ResolveImportLink(bytes, bytes.substr(0, size / 3));
    larkspool::ResolveUrl(bytes.substr(0, size / 2), bytes.substr(size / 2));

    std::string css;
    larkspool::PageLinks sheet = larkspool::PageLinks::ForExport("h/css/", "index.html");
    sheet.SetBase(bytes.substr(0, size / 4));
    larkspool::RewriteCssLinks(bytes, sheet, css);
    // Unchanged bytes come out as they came: without a link, nothing changes.
    if (bytes.find('(') == std::string::npos && bytes.find('@') == std::string::npos && css != bytes)
        __builtin_trap();
    css.clear();
    static const std::set<std::string, std::less<>> hosts = {"h", "o", "h%3a81"};
    larkspool::RewriteCssLinks(bytes, larkspool::PageLinks::ForImport("C:/My%20Export", "h/d/p.htm", &hosts), css);
    return 0;
}
