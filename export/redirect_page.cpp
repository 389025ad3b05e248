// Redirect pages: seven fixed lines ended by CR LF on every platform, the
// fourth naming the default-named page by a relative URL.
#include "export/redirect_page.h"

#include "export/file_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace larkspool {

std::string RedirectPagePath(const std::string& destPath, const std::string& pageName)
{
    const std::size_t slash = destPath.rfind('/');
    return slash == std::string::npos ? std::string() : destPath.substr(0, slash + 1) + pageName;
}

std::string RedirectPageText(const std::string& defFile1)
{
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n"
           "<HTML>\r\n"
           "<HEAD>\r\n"
           "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=" +
           defFile1 +
           "\">\r\n"
           "<TITLE>Made by Larkspool</TITLE>\r\n"
           "</HEAD>\r\n"
           "</HTML>\r\n";
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
