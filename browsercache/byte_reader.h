// A cursor over bytes already read, for decoding fixed-layout records: every
// read checks that the bytes are there and fails (leaving the cursor where it
// was) when they are not. Little- and big-endian readers are explicit, since
// Chromium and WebKit write little-endian and Firefox network order.
#pragma once

#include <cstdint>
#include <string_view>

namespace larkspool::browsercache {

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t Position() const { return m_position; }
    std::size_t Remaining() const { return m_bytes.size() - m_position; }

    bool Skip(std::size_t count)
    {
        if (count > Remaining())
            return false;
        m_position += count;
        return true;
    }
    bool Bytes(std::size_t count, std::string_view& out)
    {
        if (count > Remaining())
            return false;
        out = m_bytes.substr(m_position, count);
        m_position += count;
        return true;
    }
    bool Le16(std::uint16_t& out) { return Unsigned(2, false, out); }
    bool Le32(std::uint32_t& out) { return Unsigned(4, false, out); }
    bool Le64(std::uint64_t& out) { return Unsigned(8, false, out); }
    bool Be32(std::uint32_t& out) { return Unsigned(4, true, out); }

private:
    template <typename T>
    bool Unsigned(std::size_t size, bool bigEndian, T& out)
    {
        if (size > Remaining())
            return false;
        T value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t at = m_position + (bigEndian ? i : size - 1 - i);
            value = T(value << 8) | T(static_cast<unsigned char>(m_bytes[at]));
        }
        out = value;
        m_position += size;
        return true;
    }

    std::string_view m_bytes;
    std::size_t m_position = 0;
};

} // namespace larkspool::browsercache
