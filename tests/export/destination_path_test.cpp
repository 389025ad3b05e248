#include "base/path_text.h"
#include "jobs/destination_path.h"
#include "tests/support/row_number.h"

#include <gtest/gtest.h>

namespace larkspool {
namespace {

struct SafetyCase {
    const char* copyDir;
    std::string path;
    bool safe;
};

class DestinationPaths : public ::testing::TestWithParam<SafetyCase> {};

TEST_P(DestinationPaths, only_files_below_the_destination_within_259_bytes_are_safe)
{
    EXPECT_EQ(IsSafeDestination(GetParam().copyDir, GetParam().path), GetParam().safe) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    DestinationPath, DestinationPaths,
    ::testing::Values(SafetyCase{"/out", "/out/host/dir/a.html", true},
                      SafetyCase{"/out", "/out/host%3a8080/a b/c.gif", true},
                      SafetyCase{"/out", "/out/host/..x/...", true},
                      SafetyCase{"/out", "/out/host/../../etc/passwd", false},
                      SafetyCase{"/out", "/out/../x", false},
                      SafetyCase{"/out", "/out/./x", false},
                      SafetyCase{"/out", "/outside/x", false},
                      SafetyCase{"/out", "/out/host/dir/", false},
                      SafetyCase{"/out", "/out/", false},
                      SafetyCase{"", "/host/a.html", false},
                      SafetyCase{"/out", "/out/" + std::string(254, 'x'), true},
                      SafetyCase{"/out", "/out/" + std::string(255, 'x'), false}),
                         larkspool::testing::RowNumber());

TEST(DestinationPath, joins_folder_and_site_path)
{
    EXPECT_EQ(DestinationPath("/out", "host/dir/a.html"), "/out/host/dir/a.html");
    EXPECT_EQ(FileNameOf("/out/host/a.html"), "a.html");
    EXPECT_EQ(FolderOf("/out/host/a.html"), "/out/host");
    EXPECT_EQ(FileNameOf("a.html") + "|" + FolderOf("a.html"), "a.html|");
    EXPECT_EQ(ExtensionOf("host/b.c.gif"), ".gif");
    EXPECT_EQ(ExtensionOf("host.jp/page"), "");
    EXPECT_EQ(ExtensionOf(".htaccess"), ".htaccess");
}

} // namespace
} // namespace larkspool
