// The server's address in Chromium's response record, behind whatever the
// flags say lies between it and the headers.
#include "browsercache/http_response_info.h"
#include "tests/browsercache/chromium_bytes.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

namespace {

using namespace larkspool::testing;
using namespace std::string_literals;

struct AddressRow {
    std::uint32_t flags;
    std::string afterHeaders;
    const char* address;
};

class ResponseAddress : public ::testing::TestWithParam<AddressRow> {};

TEST_P(ResponseAddress, is_read_after_the_parts_the_flags_announce)
{
    std::string payload = Le32(GetParam().flags) + Le64(kRequestMicroseconds) + Le64(kRequestMicroseconds + 500) +
                          PickleString("HTTP/1.1 200 OK\0\0"s) + GetParam().afterHeaders;
    larkspool::browsercache::BrowserCacheRecord record;

    const std::string error = larkspool::browsercache::ReadResponseInfo(Le32(std::uint32_t(payload.size())) + payload, record);

    EXPECT_EQ(error, "");
    EXPECT_EQ(record.responseHead, "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(record.serverAddress, GetParam().address);
}

constexpr std::uint32_t kCertificate = 1u << 8, kSecurityBits = 1u << 9, kCertificateStatus = 1u << 10,
                        kVary = 1u << 11, kConnectionStatus = 1u << 16, kTimestamps = 1u << 20;
const std::string kPort = Le32(443);

INSTANTIATE_TEST_SUITE_P(Rows, ResponseAddress, ::testing::Values(
    AddressRow{3, PickleString("127.0.0.1") + kPort, "127.0.0.1"},
    AddressRow{3 | kCertificate | kCertificateStatus,
               Le32(2) + PickleString("leaf") + PickleString("inter") + Le32(0) + PickleString("2001:db8::1") + kPort,
               "2001:db8::1"},
    AddressRow{3 | kSecurityBits | kConnectionStatus | kVary,
               Le32(128) + Le32(0x3003) + std::string(16, 'd') + PickleString("10.0.0.2") + kPort, "10.0.0.2"},
    // Parts not read here, a record that ends early, a name that is no address.
    AddressRow{3 | kCertificate | kTimestamps, Le32(0) + PickleString("10.0.0.3") + kPort, ""},
    AddressRow{3 | kCertificate, Le32(5) + PickleString("leaf"), ""},
    AddressRow{3, "", ""},
    AddressRow{3, PickleString("<b>x</b>") + kPort, ""}),
                         larkspool::testing::RowNumber());

} // namespace
