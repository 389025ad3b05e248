// Names for the files a cache entry's content is kept in: "page[1].htm",
// made from the URL's last path element and the caller's extension.
#pragma once

#include <string>
#include <string_view>

namespace larkspool {

// The URL's last path element without query, fragment and extension, with the
// characters Windows forbids in file names made "_"; empty when there is none
// (the URL ends in "/" or is no URL at all).
//   http://host/dir/page.htm?x=1  -> page
//   http://host/a.b.gif           -> a.b
//   http://host/dir/              -> (empty)
std::string CacheFileBaseName(std::string_view url);

// The extension made safe as the tail of a file name: forbidden characters and
// separators become "_", and so does a trailing space or dot. Empty stays empty.
std::string CacheFileExtension(std::string_view extension);

// base + "[" + n + "]" + ("." + extension when there is one).
std::string CacheFileName(std::string_view base, unsigned n, std::string_view extension);

// Eight random upper-case letters and digits: sub-folder names, and the file
// name of an entry whose URL gives none.
std::string RandomCacheName();

// True for index.dat, whatever case or trailing dots and blanks (which
// Windows drops) its name is written in: the cache's own index is never an
// entry's file.
bool IsIndexFileName(std::string_view name);

} // namespace larkspool
