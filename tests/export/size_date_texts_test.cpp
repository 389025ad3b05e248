#include "catalogue/size_date_texts.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include <vector>

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
    EXPECT_EQ(FormatSizeText(8 * 1048576, 0, true), "8.00 MB 以上"); // a size measured only so far
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

// A listing keeps each day's and each minute's text: times that share one
// but not the other, or differ in seconds only, still read as alone.
TEST(SizeDateTexts, a_listing_dates_its_entries_as_one_at_a_time)
{
    constexpr FileTicks kMinute = 60 * 10'000'000ULL;
    constexpr FileTicks kDay = 24 * 60 * kMinute;
    std::vector<FileTicks> times;
    for (FileTicks step : {FileTicks(0), kMinute / 2, kMinute, 61 * kMinute, kDay, kDay + kMinute, 400 * kDay + 7})
        times.push_back(kSummerAfternoon + step);
    for (int i = 1; i <= 300; ++i)
        times.push_back(kSummerAfternoon - FileTicks(i) * 7'919 * kMinute / 3);
    times.push_back(0);
    ListDateTexts listing;
    for (const FileTicks time : times)
        EXPECT_EQ(listing.Format(time), FormatListDateText(time)) << time;
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
