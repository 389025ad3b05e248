// The CSV and JSON-lines texts: quoting, raw bytes, numbers and the head.
#include "report/report_text.h"
#include "tests/support/row_number.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace larkspool;

struct FieldRow {
    std::string title;
    std::string csv;  // the title's field in the CSV line
    std::string json; // the title's string in the JSON line
};

class ReportText : public ::testing::TestWithParam<FieldRow> {};

ReportRow RowWithTitle(const std::string& title)
{
    ReportRow row;
    row.fields[kReportUrl] = "http://a/x";
    row.fields[kReportTitle] = title;
    return row;
}

TEST_P(ReportText, quotes_a_csv_field_only_when_it_must_and_escapes_json)
{
    const ReportRow row = RowWithTitle(GetParam().title);
    const std::string before(kReportTitle - kReportUrl, ',');
    const std::string after(kReportColumnCount - kReportTitle - 1, ',');

    EXPECT_EQ(CsvLine(row), "http://a/x" + before + GetParam().csv + after + "\r\n");
    EXPECT_NE(JsonLine(row).find("\"title\":" + GetParam().json + ","), std::string::npos) << JsonLine(row);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportText, ::testing::Values(
    FieldRow{"plain", "plain", "\"plain\""},
    FieldRow{"", "", "\"\""},
    FieldRow{"a,b", "\"a,b\"", "\"a,b\""},
    FieldRow{"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\""},
    FieldRow{"two\nlines", "\"two\nlines\"", "\"two\\u000alines\""},
    FieldRow{"cr\rhere", "\"cr\rhere\"", "\"cr\\u000dhere\""},
    FieldRow{"back\\slash", "back\\slash", "\"back\\\\slash\""},
    FieldRow{"\xe6\x97\xa5\xe6\x9c\xac", "\xe6\x97\xa5\xe6\x9c\xac", "\"\xe6\x97\xa5\xe6\x9c\xac\""},
    FieldRow{"\xef\xbd\xb7\xef\xbd\xac", "\xef\xbd\xb7\xef\xbd\xac", "\"\xef\xbd\xb7\xef\xbd\xac\""},
    // Shift_JIS and a lone continuation byte: kept in CSV, Latin-1 in JSON.
    FieldRow{"\x93\xfa", "\x93\xfa", "\"\xc2\x93\xc3\xba\""},
    FieldRow{"\xe6\x97", "\xe6\x97", "\"\xc3\xa6\xc2\x97\""},
    FieldRow{"\xed\xa0\x80", "\xed\xa0\x80", "\"\xc3\xad\xc2\xa0\xc2\x80\""}),
                         larkspool::testing::RowNumber());

TEST(ReportCsv, has_one_header_line_naming_every_column)
{
    const std::string header = CsvHeaderLine();

    EXPECT_EQ(header.rfind("url,site_path,cache_format,partition,status,", 0), 0u) << header;
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), kReportColumnCount - 1);
    EXPECT_TRUE(header.ends_with(",entry_file,state\r\n")) << header;
}

TEST(ReportJson, parses_with_numbers_nulls_and_the_head_as_pairs)
{
    ReportRow row = RowWithTitle("\x93\xfa");
    row.fields[kReportStatus] = "302";
    row.fields[kReportSize] = "0";
    row.head = {{"Location", "http://a/y"}, {"Set-Cookie", "a=\"1\""}, {"Set-Cookie", "b=2"}};

    const std::string line = JsonLine(row);
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error).object();

    ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
    EXPECT_TRUE(line.ends_with("}\n"));
    EXPECT_EQ(object.size(), kReportColumnCount + 1);
    for (const char* name : kReportColumnNames)
        EXPECT_TRUE(object.contains(QLatin1String(name))) << name;
    EXPECT_EQ(object["status"].toInt(), 302);
    EXPECT_EQ(object["size"].toInt(-1), 0);
    EXPECT_TRUE(object["hits"].isNull());
    EXPECT_EQ(object["state"].toString(), QString());
    const QJsonArray head = object["head"].toArray();
    ASSERT_EQ(head.size(), 3);
    EXPECT_EQ(head[0].toArray()[1].toString(), QStringLiteral("http://a/y"));
    EXPECT_EQ(head[1].toArray()[1].toString(), QStringLiteral("a=\"1\""));
    EXPECT_EQ(head[2].toArray()[0].toString(), QStringLiteral("Set-Cookie"));
}

} // namespace
