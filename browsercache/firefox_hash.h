// The 32-bit hash Firefox's cache2 keeps over each entry's metadata (Bob
// Jenkins' 1996 hash over the bytes taken as unsigned, seed 0), so that a
// damaged metadata block is refused as Firefox refuses it.
#pragma once

#include <cstdint>
#include <string_view>

namespace larkspool::browsercache {

std::uint32_t FirefoxHash(std::string_view bytes);

} // namespace larkspool::browsercache
