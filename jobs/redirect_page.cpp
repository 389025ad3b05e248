// Redirect pages beside an exported default page, naming it by a relative URL.
#include "jobs/redirect_page.h"

#include "files/file_copy.h"
#include "html/redirect_page_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace larkspool {

std::string RedirectPagePath(const std::string& destPath, const std::string& pageName)
{
    const std::size_t slash = destPath.rfind('/');
    return slash == std::string::npos ? std::string() : destPath.substr(0, slash + 1) + pageName;
}

int WriteRedirectPage(int folder, const std::string& pageName, const std::string& defFile1)
{
    const int page = OpenTargetFile(folder, pageName, O_TRUNC);
    if (page < 0)
        return errno;
    const std::string text = RedirectPageText(defFile1);
    const ssize_t written = ::write(page, text.data(), text.size());
    const int error = written < 0 ? errno : (std::size_t(written) != text.size() ? EIO : 0);
    return ::close(page) != 0 && error == 0 ? errno : error;
}

} // namespace larkspool
