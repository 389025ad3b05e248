// The top-frame site inside each form of key the browsers write.
#include "browsercache/cache_key_partition.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

namespace {

using larkspool::browsercache::PartitionFromChromiumKey;
using larkspool::browsercache::PartitionFromFirefoxKey;

struct PartitionRow {
    const char* key;
    const char* partition;
};

class ChromiumPartition : public ::testing::TestWithParam<PartitionRow> {};
class FirefoxPartition : public ::testing::TestWithParam<PartitionRow> {};

TEST_P(ChromiumPartition, is_the_top_frame_site)
{
    EXPECT_EQ(PartitionFromChromiumKey(GetParam().key), GetParam().partition);
}

TEST_P(FirefoxPartition, is_the_partition_site_or_the_origin_attributes)
{
    EXPECT_EQ(PartitionFromFirefoxKey(GetParam().key), GetParam().partition);
}

INSTANTIATE_TEST_SUITE_P(Rows, ChromiumPartition, ::testing::Values(
    PartitionRow{"1/0/_dk_http://127.0.0.1 http://127.0.0.1 http://127.0.0.1:8765/index.html", "http://127.0.0.1"},
    PartitionRow{"1/0/_dk_https://a.org https://b.org https://c.org/x", "https://a.org"},
    PartitionRow{"1/0/_cn__dk_https://a.org https://a.org https://c.org/x", "https://a.org"},
    PartitionRow{"_dk_s_https://a https://a https://a/b.js", "https://a"},
    PartitionRow{"1/0/https://a.example/x", ""},
    PartitionRow{"http://tools.google.com/chrome/", ""},
    PartitionRow{"_dk_", ""},
    PartitionRow{"", ""}),
                         larkspool::testing::RowNumber());

INSTANTIATE_TEST_SUITE_P(Rows, FirefoxPartition, ::testing::Values(
    PartitionRow{"O^partitionKey=%28http%2C127.0.0.1%29,:http://127.0.0.1:8765/", "http://127.0.0.1"},
    PartitionRow{"O^partitionKey=%28https%2Ca.org%2C8443%29,a,:https://b/x", "https://a.org:8443"},
    PartitionRow{"O^userContextId=2&partitionKey=%28https%2Ca.org%29,:https://b/x", "https://a.org"},
    PartitionRow{"O^userContextId=2,:https://a/x", "userContextId=2"},
    PartitionRow{"O^partitionKey=odd,:https://a/x", "odd"},
    PartitionRow{"a,:https://a/x", ""},
    PartitionRow{":https://a/x", ""},
    PartitionRow{"", ""}),
                         larkspool::testing::RowNumber());

} // namespace
