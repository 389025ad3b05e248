// Names the rows of a parameterised test by their place in its table.
// gtest's own name for a row of a struct is the struct's bytes, pointers
// included: they differ from run to run, so ctest would ask for a test name
// that the next run no longer has, and the row would never run.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace larkspool::testing {

struct RowNumber {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        return "row_" + std::to_string(info.index);
    }
};

} // namespace larkspool::testing
