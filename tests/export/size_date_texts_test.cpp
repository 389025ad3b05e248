#include "export/size_date_texts.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

namespace larkspool {
namespace {

struct SizeCase {
    DWORD low;
    DWORD high;
    const char* text;
};

TEST(SizeDateTexts, size_text_switches_at_1000_and_divides_by_1024)
{
    const SizeCase cases[] = {
        {0, 0, "0 ﾊﾞｲﾄ"},
        {512, 0, "512 ﾊﾞｲﾄ"},
        {1000, 0, "1000 ﾊﾞｲﾄ"},
        {1001, 0, "0.98 KB"},
        {1024, 0, "1.00 KB"},
        {10239, 0, "10.00 KB"},
        {102400, 0, "100 KB"},
        {1023999, 0, "1000 KB"},
        {1048576, 0, "1.00 MB"},
        {15 * 1048576, 0, "15.0 MB"},
        {0, 1, "4.00 GB"},
        {0, 256, "1.00 TB"},
        {0, 1u << 18, "範囲外"},
    };
    for (const SizeCase& c : cases)
        EXPECT_EQ(FormatSizeText(c.low, c.high), c.text) << c.low << " " << c.high;
}

TEST(SizeDateTexts, size_line_reads_the_low_half)
{
    EXPECT_EQ(FormatSizeLine(1001), "ｻｲｽﾞ : 0.98 KB");
}

// 2024-07-15 13:45:59 as a FILETIME read without time zone.
constexpr FileTicks kSummerAfternoon = 133'655'247'590'000'000;

TEST(SizeDateTexts, list_date_is_short_date_and_time_without_seconds)
{
    const QLocale locale = QLocale::system();
    const std::string expectedDate = locale.toString(QDate(2024, 7, 15), QLocale::ShortFormat).toStdString();

    const std::string text = FormatListDateText(kSummerAfternoon);

    ASSERT_EQ(text.substr(0, expectedDate.size() + 1), expectedDate + " ");
    EXPECT_NE(text.find("45"), std::string::npos);
    EXPECT_EQ(text.find("59", expectedDate.size()), std::string::npos);
}

TEST(SizeDateTexts, date_line_is_long_date_then_time_with_seconds)
{
    const QLocale locale = QLocale::system();
    const std::string expectedDate = locale.toString(QDate(2024, 7, 15), QLocale::LongFormat).toStdString();

    const std::string line = FormatDateLine(kSummerAfternoon);

    EXPECT_EQ(line.rfind("更新日時 : " + expectedDate + "、", 0), 0u) << line;
    EXPECT_NE(line.find("59", line.find("、")), std::string::npos) << line;
    EXPECT_EQ(line.find("UTC"), std::string::npos) << line;
}

} // namespace
} // namespace larkspool
