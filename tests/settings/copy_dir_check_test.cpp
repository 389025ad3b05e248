#include "settings/copy_dir_check.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace larkspool;
using larkspool::testing::TempFolder;
namespace fs = std::filesystem;

class CopyDirCheck : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(CopyDirCheck, the_dialog_opens_on_the_setting_or_else_the_fallback)
{
    const std::string file = m_folder.Write("dest/page.htm");
    const std::string blocked = file + "/below";
    const struct {
        std::string copyDir;
        std::string opens;
    } rows[] = {
        {"", "/fallback"},
        {m_folder.Under("dest"), m_folder.Under("dest")},
        {m_folder.Under("dest") + "/", m_folder.Under("dest")},
        {file, m_folder.Under("dest")},
        {m_folder.Under("made/on/show"), m_folder.Under("made/on/show")},
        {blocked, "/fallback"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SelDirStartFolder(row.copyDir, "/fallback"), row.opens) << row.copyDir;
    EXPECT_TRUE(fs::is_directory(m_folder.Under("made/on/show")));
}

TEST_F(CopyDirCheck, a_typed_chain_is_created_whatever_its_separators)
{
    for (const char* typed : {"a/b/c", "d//e/", "f///g//"}) {
        EXPECT_EQ(CreateCopyDir(m_folder.Under(typed)), 0) << typed;
    }

    for (const char* made : {"a/b/c", "d/e", "f/g"})
        EXPECT_TRUE(fs::is_directory(m_folder.Under(made))) << made;
}

TEST_F(CopyDirCheck, a_chain_below_a_file_cannot_be_created)
{
    const std::string file = m_folder.Write("plain");

    EXPECT_EQ(CreateCopyDir(file + "/sub/dir"), -1);
    EXPECT_EQ(CreateCopyDir(""), -1);
}

TEST_F(CopyDirCheck, the_folder_list_shows_the_ancestors_then_the_visible_sub_folders_in_order)
{
    for (const char* folder : {"open/beta", "open/Alpha", "open/gamma", "open/.hidden"})
        fs::create_directories(m_folder.Under(folder));
    m_folder.Write("open/file.txt");

    const auto rows = DirectoryRows(m_folder.Under("open"));

    std::vector<std::string> names;
    for (const DirectoryRow& row : rows)
        names.push_back(row.name);
    const std::size_t depth = std::distance(m_folder.Path().begin(), m_folder.Path().end()) + 1;
    ASSERT_EQ(names.size(), depth + 3);
    EXPECT_EQ(names.front(), "/");
    EXPECT_EQ(rows[depth - 1].path, m_folder.Under("open"));
    EXPECT_TRUE(rows[depth - 1].open);
    EXPECT_EQ(std::vector<std::string>(names.begin() + long(depth), names.end()),
              (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_FALSE(rows.back().open);
    EXPECT_EQ(rows.back().path, m_folder.Under("open/gamma"));
    EXPECT_EQ(FileNames(m_folder.Under("open")), std::vector<std::string>{"file.txt"});
}

} // namespace
