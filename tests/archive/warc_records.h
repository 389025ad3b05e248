// A small WARC reader of the tests' own, independent of the writer: each
// record with the fields it names and its block, split by Content-Length,
// and for a gzip file the member each record came in.
#pragma once

#include <zlib.h>

#include <charconv>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace larkspool::testing {

struct WarcRecord {
    std::uint64_t offset = 0; // where its bytes (its gzip member) begin in the file
    std::map<std::string, std::string> fields;
    std::string block;
    std::string Field(const std::string& name) const
    {
        const auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    }
};

// One record at byte at of text; *end: where the next one starts.
// Empty error: read.
inline WarcRecord ParseWarcRecord(const std::string& text, std::size_t at, std::size_t* end, std::string* error)
{
    WarcRecord record;
    const std::size_t headEnd = text.find("\r\n\r\n", at);
    if (text.compare(at, 10, "WARC/1.1\r\n") != 0 || headEnd == std::string::npos) {
        *error = "no WARC/1.1 record head at byte " + std::to_string(at);
        return record;
    }
    std::size_t line = at + 10;
    while (line < headEnd) {
        const std::size_t lineEnd = text.find("\r\n", line);
        const std::string field = text.substr(line, lineEnd - line);
        const std::size_t colon = field.find(": ");
        if (colon == std::string::npos) {
            *error = "a field without a colon: " + field;
            return record;
        }
        record.fields[field.substr(0, colon)] = field.substr(colon + 2);
        line = lineEnd + 2;
    }
    const std::string lengthText = record.Field("Content-Length");
    std::uint64_t length = 0;
    if (std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length).ec != std::errc() ||
        lengthText.empty()) {
        *error = "no Content-Length";
        return record;
    }
    const std::size_t blockStart = headEnd + 4;
    if (blockStart + length + 4 > text.size() || text.compare(blockStart + length, 4, "\r\n\r\n") != 0) {
        *error = "the block does not end where Content-Length says, followed by two line ends";
        return record;
    }
    record.block = text.substr(blockStart, length);
    *end = blockStart + length + 4;
    return record;
}

// Every gzip member of bytes, inflated, with the offset it starts at.
inline std::vector<std::pair<std::uint64_t, std::string>> GzipMembers(const std::string& bytes, std::string* error)
{
    std::vector<std::pair<std::uint64_t, std::string>> members;
    std::size_t at = 0;
    while (at < bytes.size()) {
        z_stream stream{};
        inflateInit2(&stream, 15 + 16);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + at));
        stream.avail_in = uInt(bytes.size() - at);
        std::string out;
        int result = Z_OK;
        while (result == Z_OK) {
            char piece[65536];
            stream.next_out = reinterpret_cast<Bytef*>(piece);
            stream.avail_out = sizeof piece;
            result = inflate(&stream, Z_NO_FLUSH);
            out.append(piece, sizeof piece - stream.avail_out);
        }
        const std::size_t used = bytes.size() - at - stream.avail_in;
        inflateEnd(&stream);
        if (result != Z_STREAM_END) {
            *error = "a damaged gzip member at byte " + std::to_string(at);
            return members;
        }
        members.emplace_back(at, out);
        at += used;
    }
    return members;
}

// The records of a WARC file; a gzip file must hold each in a member of its own.
inline std::vector<WarcRecord> ReadWarc(const std::string& bytes, bool gzip, std::string* error)
{
    std::vector<WarcRecord> records;
    error->clear();
    if (gzip) {
        for (const auto& [offset, text] : GzipMembers(bytes, error)) {
            std::size_t end = 0;
            WarcRecord record = ParseWarcRecord(text, 0, &end, error);
            if (!error->empty())
                return records;
            if (end != text.size()) {
                *error = "a gzip member holds more than one record";
                return records;
            }
            record.offset = offset;
            records.push_back(record);
        }
        return records;
    }
    std::size_t at = 0;
    while (error->empty() && at < bytes.size()) {
        std::size_t end = 0;
        WarcRecord record = ParseWarcRecord(bytes, at, &end, error);
        record.offset = at;
        if (error->empty())
            records.push_back(record);
        at = end;
    }
    return records;
}

} // namespace larkspool::testing
