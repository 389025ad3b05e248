#include "browsercache/protobuf_wire.h"

namespace larkspool::browsercache {

namespace {

constexpr std::uint32_t kVarint = 0, kFixed64 = 1, kLengthDelimited = 2, kFixed32 = 5;
constexpr int kMaxVarintBytes = 10;

} // namespace

bool ProtobufReader::Varint(std::uint64_t& out)
{
    out = 0;
    for (int i = 0; i < kMaxVarintBytes; ++i) {
        if (std::size_t(i) >= m_rest.size())
            return false;
        const std::uint8_t byte = std::uint8_t(m_rest[std::size_t(i)]);
        out |= std::uint64_t(byte & 0x7F) << (7 * i);
        if (byte < 0x80) {
            m_rest.remove_prefix(std::size_t(i) + 1);
            return true;
        }
    }
    return false; // more than 64 bits
}

bool ProtobufReader::Fixed(std::size_t size, std::uint64_t& out)
{
    if (m_rest.size() < size)
        return false;
    out = 0;
    for (std::size_t i = 0; i < size; ++i)
        out |= std::uint64_t(std::uint8_t(m_rest[i])) << (8 * i);
    m_rest.remove_prefix(size);
    return true;
}

bool ProtobufReader::Next(ProtobufField& field)
{
    if (m_rest.empty() || m_damaged)
        return false;
    std::uint64_t key = 0, length = 0;
    bool read = Varint(key) && (key >> 3) != 0 && (key >> 3) <= 0x1FFFFFFF;
    if (read) {
        field = {};
        field.number = std::uint32_t(key >> 3);
        field.wireType = std::uint32_t(key & 7);
        switch (field.wireType) {
        case kVarint:
            read = Varint(field.varint);
            break;
        case kFixed64:
            read = Fixed(8, field.varint);
            break;
        case kFixed32:
            read = Fixed(4, field.varint);
            break;
        case kLengthDelimited:
            read = Varint(length) && length <= m_rest.size();
            if (read) {
                field.bytes = m_rest.substr(0, std::size_t(length));
                m_rest.remove_prefix(std::size_t(length));
            }
            break;
        default:
            read = false;
        }
    }
    m_damaged = !read;
    return read;
}

} // namespace larkspool::browsercache
