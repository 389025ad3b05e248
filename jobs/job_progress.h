// The progress texts and values both jobs show before each item.
#pragma once

#include <cstddef>
#include <string>

namespace larkspool {

// (i × 100 + 100) / n: the bar reaches 100 while the last item is worked on.
int ProgressPosition(std::size_t i, std::size_t n);
// "あと %d 個" with the items not yet finished, the current one included.
std::string RemainingCountText(std::size_t remaining);

} // namespace larkspool
