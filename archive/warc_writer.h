// A WARC 1.1 file written record by record: beside its final name first,
// renamed into place by Commit, so that no half-written archive ever bears
// the name. Bodies are streamed, never held whole.
#pragma once

#include "archive/record_output.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace larkspool::archive {

struct WarcRecordFields {
    std::string type;        // "warcinfo", "response", "resource"
    std::string targetUri;   // empty: none (warcinfo)
    std::string date;        // WARC-Date, as WarcDate writes it
    std::string contentType; // of the block
    std::string ipAddress;   // empty: unknown
};

// Opens a body from its start; the writer closes it. nullptr: no bytes.
using BodyOpener = std::function<std::FILE*()>;

enum class RecordResult {
    Written,
    BodyUnreadable, // no record: the body did not read as promised; the archive goes on
    WriteFailed,    // the archive cannot go on; Error() says why
};

class WarcWriter {
public:
    // Records each a gzip member when path ends in ".gz".
    explicit WarcWriter(std::string path);
    ~WarcWriter();
    WarcWriter(const WarcWriter&) = delete;
    WarcWriter& operator=(const WarcWriter&) = delete;

    // Creates the file beside path; false when it cannot (Error()).
    bool Open();
    // The warcinfo record: fields as "name: value" lines.
    RecordResult WriteInfo(const std::string& date, const std::vector<std::pair<std::string, std::string>>& fields);
    // One record whose block is blockHead followed by the body of bodyBytes
    // bytes. The body is read twice, once for the digests that the header
    // carries and once to write it; a body that reads short, long or
    // different the second time gets no record. The payload is the body.
    RecordResult Write(const WarcRecordFields& fields, const std::string& blockHead, const BodyOpener& openBody,
                       std::uint64_t bodyBytes);
    // The same record of a body already read whole, whose SHA-256 (hex) the
    // caller took as it read: no second reading.
    RecordResult Write(const WarcRecordFields& fields, const std::string& blockHead, std::string_view body,
                       const std::string& payloadDigest);
    // Renames the file into place; false when it cannot (Error()), and then
    // nothing is left under either name.
    bool Commit();

    // Where the last record written starts and its bytes in the file, for
    // an index of the archive.
    std::uint64_t LastOffset() const { return m_lastOffset; }
    std::uint64_t LastLength() const { return m_lastLength; }
    // Its WARC-Payload-Digest ("sha256:" and hex); empty when it had no body.
    const std::string& LastPayloadDigest() const { return m_lastPayloadDigest; }
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }

private:
    RecordResult Record(const WarcRecordFields& fields, const std::string& blockHead, const BodyOpener* openBody,
                        std::uint64_t bodyBytes);
    // Writes the record's header and block; putBody writes the body's bytes.
    RecordResult Emit(const WarcRecordFields& fields, const std::string& blockHead, const std::string& blockDigest,
                      const std::string* payloadDigest, std::uint64_t bodyBytes,
                      const std::function<RecordResult()>& putBody);
    RecordResult GiveUp();
    RecordResult PutFailed();
    bool Fail(const std::string& what, int error);

    std::string m_path;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
    std::unique_ptr<RecordOutput> m_output;
    std::uint64_t m_lastOffset = 0;
    std::uint64_t m_lastLength = 0;
    std::string m_lastPayloadDigest;
    std::string m_error;
};

} // namespace larkspool::archive
