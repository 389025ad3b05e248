// The report as text: CSV (RFC 4180: one header line, CRLF line ends, a
// field with a comma, quote or line break quoted, quotes doubled, bytes kept
// as they are) or JSON lines (one object per entry with the same names,
// numbers as numbers, and the response head as [name, value] pairs).
#pragma once

#include "report/entry_report.h"

#include <string>
#include <string_view>

namespace larkspool {

std::string CsvHeaderLine();
std::string CsvLine(const ReportRow& row);

// A byte that is not part of UTF-8 is written as the character of the same
// number, so that every line stays valid JSON.
std::string JsonLine(const ReportRow& row);

// text as a JSON string: UTF-8 kept, any other byte read as Latin-1.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace larkspool
