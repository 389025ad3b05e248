// The time of a WARC-Date field: UTC to the second, YYYY-MM-DDThh:mm:ssZ.
#pragma once

#include <cstdint>
#include <string>

namespace larkspool::archive {

std::string WarcDate(std::int64_t unixSeconds);

} // namespace larkspool::archive
