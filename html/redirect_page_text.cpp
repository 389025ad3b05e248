// Redirect pages are written by the export (further default names) and made
// for cached 3xx answers of browser caches; both use this one text.
#include "html/redirect_page_text.h"

namespace larkspool {

std::string RedirectPageText(const std::string& target)
{
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n"
           "<HTML>\r\n"
           "<HEAD>\r\n"
           "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=" +
           target +
           "\">\r\n"
           "<TITLE>Made by Larkspool</TITLE>\r\n"
           "</HEAD>\r\n"
           "</HTML>\r\n";
}

} // namespace larkspool
