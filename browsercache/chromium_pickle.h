// Chromium's "pickle" serialisation, as its caches store response heads and
// indexes: a little-endian uint32 payload size, then the payload, whose
// values each start on a 4-byte boundary. Strings are an int32 length and
// the bytes, padded to 4.
#pragma once

#include <cstdint>
#include <string_view>

namespace larkspool::browsercache {

class PickleReader {
public:
    // The payload of a whole pickle; empty (every read failing) when the
    // stated size does not fit the bytes. Some pickles carry more than the
    // size in their header (the simple cache's index adds a CRC-32).
    explicit PickleReader(std::string_view pickle, std::size_t headerSize = 4);

    bool IsValid() const { return m_valid; }
    std::string_view Payload() const { return m_payload; }
    bool ReadU32(std::uint32_t& out);
    bool ReadU64(std::uint64_t& out);
    bool ReadString(std::string_view& out);

private:
    bool Take(std::size_t size, std::string_view& out);

    std::string_view m_payload;
    std::size_t m_position = 0;
    bool m_valid = false;
};

} // namespace larkspool::browsercache
