// Protocol buffers' wire format, read field by field with every length
// checked against the bytes there are: a field is a varint key (number << 3
// | wire type), then a varint (type 0), 8 bytes (1), a varint length and
// that many bytes (2) or 4 bytes (5). Groups (3, 4) are no longer written
// and end the reading as damage.
#pragma once

#include <cstdint>
#include <string_view>

namespace larkspool::browsercache {

struct ProtobufField {
    std::uint32_t number = 0;
    std::uint32_t wireType = 0;
    std::uint64_t varint = 0;    // type 0; the little-endian value for types 1 and 5
    std::string_view bytes;      // type 2: the length-delimited bytes
};

class ProtobufReader {
public:
    explicit ProtobufReader(std::string_view message) : m_rest(message) {}

    // The next field; false at the end of the message or on damage, which
    // Damaged() then tells.
    bool Next(ProtobufField& field);
    bool Damaged() const { return m_damaged; }

private:
    bool Varint(std::uint64_t& out);
    bool Fixed(std::size_t size, std::uint64_t& out);

    std::string_view m_rest;
    bool m_damaged = false;
};

} // namespace larkspool::browsercache
