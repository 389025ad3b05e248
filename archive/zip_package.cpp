// Stored members because a replay tool reads the WARC inside by ranges,
// which a deflated member cannot give.
#include "archive/zip_package.h"

#include <zip.h>

namespace larkspool::archive {
namespace {

std::string ZipError(zip_t* archive)
{
    return zip_strerror(archive);
}

bool AddMember(zip_t* archive, const ZipMember& member, std::string& error)
{
    zip_source_t* source = member.file.empty()
                               ? zip_source_buffer(archive, member.text.data(), member.text.size(), 0)
                               : zip_source_file(archive, member.file.c_str(), 0, -1);
    if (!source) {
        error = "cannot read " + (member.file.empty() ? member.name : member.file) + ": " + ZipError(archive);
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        error = "cannot add " + member.name + ": " + ZipError(archive);
        return false;
    }
    if (zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) != 0) {
        error = "cannot store " + member.name + ": " + ZipError(archive);
        return false;
    }
    return true;
}

} // namespace

bool WriteStoredZip(const std::string& path, const std::vector<ZipMember>& members, std::string& error)
{
    int openError = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &openError);
    if (!archive) {
        zip_error_t cause;
        zip_error_init_with_code(&cause, openError);
        error = "cannot make " + path + ": " + zip_error_strerror(&cause);
        zip_error_fini(&cause);
        return false;
    }
    for (const ZipMember& member : members)
        if (!AddMember(archive, member, error)) {
            zip_discard(archive);
            return false;
        }
    // The members' bytes are read and the file renamed into place here.
    if (zip_close(archive) != 0) {
        error = "cannot write " + path + ": " + ZipError(archive);
        zip_discard(archive);
        return false;
    }
    return true;
}

} // namespace larkspool::archive
