// Reading Chromium pickles field by field, never past the payload.
#include "browsercache/chromium_pickle.h"

#include "browsercache/byte_reader.h"

#include <algorithm>

namespace larkspool::browsercache {

PickleReader::PickleReader(std::string_view pickle, std::size_t headerSize)
{
    ByteReader reader(pickle);
    std::uint32_t size = 0;
    if (headerSize < 4 || !reader.Le32(size) || !reader.Skip(headerSize - 4) || size > reader.Remaining())
        return;
    m_payload = pickle.substr(headerSize, size);
    m_valid = true;
}

bool PickleReader::Take(std::size_t size, std::string_view& out)
{
    if (size > m_payload.size() - m_position)
        return false;
    out = m_payload.substr(m_position, size);
    // The last value may end the payload without its padding.
    m_position = std::min(m_payload.size(), m_position + (size + 3) / 4 * 4);
    return true;
}

bool PickleReader::ReadU32(std::uint32_t& out)
{
    std::string_view bytes;
    return Take(4, bytes) && ByteReader(bytes).Le32(out);
}

bool PickleReader::ReadU64(std::uint64_t& out)
{
    std::string_view bytes;
    return Take(8, bytes) && ByteReader(bytes).Le64(out);
}

bool PickleReader::ReadString(std::string_view& out)
{
    std::uint32_t length = 0;
    return ReadU32(length) && Take(length, out);
}

} // namespace larkspool::browsercache
