// zlib's own CRC-32: the readers link zlib for the bodies anyway, and it is
// several times faster than a table read a byte at a time.
#include "browsercache/crc32.h"

#include <zlib.h>

namespace larkspool::browsercache {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc)
{
    return std::uint32_t(crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

} // namespace larkspool::browsercache
