#include "archive/record_id.h"

#include <openssl/rand.h>

namespace larkspool::archive {

std::string NewRecordId()
{
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1)
        return {};
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // the RFC's variant
    constexpr char kHex[] = "0123456789abcdef";
    std::string id = "<urn:uuid:";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            id += '-';
        id += kHex[bytes[i] >> 4];
        id += kHex[bytes[i] & 15];
    }
    return id + '>';
}

} // namespace larkspool::archive
