// Fetching a stored body in one read and checking it.
#include "browsercache/stored_body.h"

#include "browsercache/byte_source.h"
#include "browsercache/crc32.h"

namespace larkspool::browsercache {

std::string ReadStoredBody(const BodyLocation& location, std::string& body)
{
    body.clear();
    if (location.length == 0)
        return {};
    const FileBytes file(location.file, location.cacheFolder);
    if (!file.IsOpen())
        return "cannot open " + location.file.string() + ": " + file.Error();
    if (!file.ReadAt(location.offset, location.length, body))
        return location.file.string() + " is shorter than the body it should hold";
    if (location.hasCrc32 && Crc32(body) != location.crc32)
        return "the body in " + location.file.string() + " fails its CRC-32 check";
    return {};
}

} // namespace larkspool::browsercache
