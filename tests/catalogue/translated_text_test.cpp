#include "catalogue/program_language.h"
#include "catalogue/translated_text.h"

#include <gtest/gtest.h>

namespace {

using namespace larkspool;

TEST(FillIn, puts_each_value_in_once_and_leaves_the_rest_as_written)
{
    const std::string shiftJis = "\x83\x74\x83\x40\x83\x43\x83\x8b.htm"; // ﾌｧｲﾙ in Shift-JIS bytes
    struct Case {
        std::string pattern;
        std::initializer_list<std::string_view> values;
        std::string expected;
    } const cases[] = {
        {"'%1' から '%2' へ", {"a", "b"}, "'a' から 'b' へ"},
        {"%2 before %1", {"a", "b"}, "b before a"},
        {"'%1'", {shiftJis}, "'" + shiftJis + "'"},
        {"%1 and %2", {"%2", "x"}, "%2 and x"},
        {"%1 of %3", {"a"}, "a of %3"},
        {"100% %", {"a"}, "100% %"},
        {"ends with %", {}, "ends with %"},
        {"%0 %1", {"a"}, "%0 a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillIn(c.pattern, c.values), c.expected) << c.pattern;
}

TEST(ProgramLanguage, is_english_only_for_a_first_ui_language_of_english_unless_overridden)
{
    struct Case {
        const char* override;
        QStringList uiLanguages;
        UiLanguage expected;
    } const cases[] = {
        {nullptr, {"en-US"}, UiLanguage::English},
        {nullptr, {"en"}, UiLanguage::English},
        {nullptr, {"en-GB", "ja-JP"}, UiLanguage::English},
        {nullptr, {"ja-JP"}, UiLanguage::Japanese},
        {nullptr, {"C"}, UiLanguage::Japanese},
        {nullptr, {}, UiLanguage::Japanese},
        {nullptr, {"de-DE", "en-US"}, UiLanguage::Japanese},
        {nullptr, {"eo"}, UiLanguage::Japanese},
        {"ja", {"en-US"}, UiLanguage::Japanese},
        {"en", {"C"}, UiLanguage::English},
        {"fr", {"en-US"}, UiLanguage::English},
        {"", {"ja-JP"}, UiLanguage::Japanese},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseUiLanguage(c.override, c.uiLanguages), c.expected)
            << (c.override ? c.override : "(unset)") << " " << c.uiLanguages.join(',').toStdString();
}

} // namespace
