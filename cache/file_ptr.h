// A C stream that closes itself: for streams only read, or whose close
// result a caller checks by closing them itself first.
#pragma once

#include <cstdio>
#include <memory>

namespace larkspool {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace larkspool
