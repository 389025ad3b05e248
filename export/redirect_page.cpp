// Redirect pages beside an exported default page, naming it by a relative URL.
#include "export/redirect_page.h"

#include "html/redirect_page_text.h"

#include <cstdio>

namespace larkspool {

std::string RedirectPagePath(const std::string& destPath, const std::string& pageName)
{
    const std::size_t slash = destPath.rfind('/');
    return slash == std::string::npos ? std::string() : destPath.substr(0, slash + 1) + pageName;
}

int WriteRedirectPage(const std::string& destPath, const std::string& pageName, const std::string& defFile1)
{
    const std::string pagePath = RedirectPagePath(destPath, pageName);
    if (pagePath.empty())
        return -1;
    std::FILE* page = std::fopen(pagePath.c_str(), "wb");
    if (!page)
        return -2;
    const std::string text = RedirectPageText(defFile1);
    const bool written = std::fwrite(text.data(), 1, text.size(), page) == text.size();
    const bool closed = std::fclose(page) == 0;
    return written && closed ? 0 : -3;
}

} // namespace larkspool
