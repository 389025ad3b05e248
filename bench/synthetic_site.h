// The synthetic site both bench caches are made of: N entries over several
// hundred hosts, nested folders, about 30 % HTML pages that link each other,
// images, stylesheets and scripts, query variants of one script, the same
// paths under http and https with different times.
#pragma once

#include <cstddef>
#include <iterator>
#include <random>
#include <string>

namespace larkspool::bench {

inline constexpr const char* kFolders[] = {"", "news/", "img/", "docs/2006/", "docs/2006/05/", "shop/items/", "css/", "js/"};

inline std::string HostName(std::size_t index) { return "host" + std::to_string(index) + ".example.test"; }

inline std::string PageUrl(std::size_t host, std::size_t page)
{
    return "http://" + HostName(host) + "/" + kFolders[page % std::size(kFolders)] + "page" + std::to_string(page) +
           ".html";
}

inline std::string PageBody(std::size_t host, std::size_t page, std::size_t hosts, std::mt19937& random)
{
    std::string body = "<html>\r\n<head><title>Page " + std::to_string(page) + " of " + HostName(host) +
                       "</title>\r\n<link rel=\"stylesheet\" href=\"/css/site.css\">\r\n</head>\r\n<body>\r\n";
    for (int link = 0; link < 12; ++link) {
        const std::size_t target = random() % 400;
        if (link % 4 == 3)
            body += "<p><a href=\"" + PageUrl(random() % hosts, target) + "\">elsewhere " + std::to_string(target) +
                    "</a></p>\r\n";
        else
            body += "<p><a href=\"/" + std::string(kFolders[target % std::size(kFolders)]) + "page" +
                    std::to_string(target) + ".html\">page " + std::to_string(target) +
                    "</a> with some words around the link to make the text a little longer.</p>\r\n";
        if (link % 3 == 0)
            body += "<img src=\"../img/pic" + std::to_string(target) + ".gif\" width=\"16\" height=\"16\">\r\n";
    }
    return body + "</body>\r\n</html>\r\n";
}

struct Entry {
    std::string url;
    std::string extension;
    std::string content;
};

inline Entry MakeEntry(std::size_t i, std::size_t hosts, std::mt19937& random)
{
    const std::size_t host = i % hosts;
    const std::size_t item = i / hosts;
    const std::string base = "http://" + HostName(host) + "/" + kFolders[item % std::size(kFolders)];
    switch (i % 10) {
    case 0:
    case 1:
    case 2:
        return {PageUrl(host, item), "html", PageBody(host, item, hosts, random)};
    case 3:
    case 4:
        return {base + "pic" + std::to_string(item) + ".gif", "gif", std::string(200 + random() % 2000, 'G')};
    case 5:
        return {base + "photo" + std::to_string(item) + ".jpg", "jpg", std::string(2000 + random() % 8000, 'J')};
    case 6:
        return {base + (item % 2 ? "style" : "script") + std::to_string(item) + (item % 2 ? ".css" : ".js"),
                item % 2 ? "css" : "js", std::string(300 + random() % 1000, 'S')};
    case 7:
        return {"http://" + HostName(host) + "/cgi-bin/search.cgi?q=" + std::to_string(item), "htm",
                PageBody(host, item, hosts, random)};
    case 8: // the page of entry i - 8 again, over https: same path, another time
        return {"https" + PageUrl((i - 8) % hosts, (i - 8) / hosts).substr(4), "html",
                PageBody(host, item, hosts, random)};
    default:
        return {base + "page" + std::to_string(item) + "/", "htm", PageBody(host, item, hosts, random)};
    }
}

// How many hosts a cache of count entries spreads over.
inline std::size_t HostCount(std::size_t count) { return count < 3000 ? 1 + count / 10 : 300; }

} // namespace larkspool::bench
