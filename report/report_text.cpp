// CSV and JSON-lines texts of report rows.
#include "report/report_text.h"

#include <cstdio>

namespace larkspool {
namespace {

void AppendCsvField(std::string& out, const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// The length of the UTF-8 sequence at text[i], or 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                       : lead >= 0xF0 && lead <= 0xF4                       ? 4
                                                                                            : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and values past U+10FFFF.
    const unsigned char second = length > 1 ? byte(i + 1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

bool IsNumberColumn(int column)
{
    return column == kReportStatus || column == kReportStoredSize || column == kReportSize || column == kReportHits;
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text, i);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += char(byte);
        } else if (length == 1 && byte >= 0x20 && byte != 0x7F) {
            out += char(byte);
        } else if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        } else if (byte < 0x80) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            // The byte as U+0080..U+00FF, in UTF-8.
            out += char(0xC0 | (byte >> 6));
            out += char(0x80 | (byte & 0x3F));
        }
        ++i;
    }
    out += '"';
}

std::string CsvHeaderLine()
{
    std::string line;
    for (const char* name : kReportColumnNames) {
        if (!line.empty())
            line += ',';
        line += name;
    }
    return line + "\r\n";
}

std::string CsvLine(const ReportRow& row)
{
    std::string line;
    for (std::size_t column = 0; column < row.fields.size(); ++column) {
        if (column > 0)
            line += ',';
        AppendCsvField(line, row.fields[column]);
    }
    return line + "\r\n";
}

std::string JsonLine(const ReportRow& row)
{
    std::string line = "{";
    for (int column = 0; column < kReportColumnCount; ++column) {
        AppendJsonString(line, kReportColumnNames[column]);
        line += ':';
        const std::string& field = row.fields[column];
        if (!IsNumberColumn(column))
            AppendJsonString(line, field);
        else
            line += field.empty() ? "null" : field;
        line += ',';
    }
    line += "\"head\":[";
    for (std::size_t i = 0; i < row.head.size(); ++i) {
        line += i ? ",[" : "[";
        AppendJsonString(line, row.head[i].first);
        line += ',';
        AppendJsonString(line, row.head[i].second);
        line += ']';
    }
    return line + "]}\n";
}

} // namespace larkspool
