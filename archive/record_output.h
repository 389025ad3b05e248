// Where the bytes of one record go: straight into the file, or through
// deflate into a gzip member of its own, so that a reader can seek to any
// record. A record given up (its body failed half-way) leaves no byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct z_stream_s;

namespace larkspool::archive {

class RecordOutput {
public:
    RecordOutput(std::FILE* file, bool gzip);
    ~RecordOutput();
    RecordOutput(const RecordOutput&) = delete;
    RecordOutput& operator=(const RecordOutput&) = delete;

    // Each false: the file cannot be written; Error() says why.
    bool Begin();
    bool Put(const void* data, std::size_t size);
    bool Put(const std::string& text) { return Put(text.data(), text.size()); }
    bool End();
    // Takes the record begun last out of the file again.
    bool GiveUp();
    // Where the next record starts, and where the last one ended.
    std::uint64_t Offset() const { return m_offset; }
    const std::string& Error() const { return m_error; }

private:
    bool Deflate(int flush);
    bool Fail(const std::string& what);

    std::FILE* m_file;
    bool m_gzip;
    std::unique_ptr<z_stream_s> m_stream;
    bool m_streamOpen = false;
    std::uint64_t m_recordStart = 0;
    std::uint64_t m_offset = 0;
    std::string m_error;
};

} // namespace larkspool::archive
