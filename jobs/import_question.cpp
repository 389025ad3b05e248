// The import's overwrite question, the export's with its sides swapped.
#include "jobs/import_question.h"

#include "base/path_text.h"
#include "jobs/destination_path.h"
#include "files/file_times.h"
#include "catalogue/size_date_texts.h"

namespace larkspool {

OverwriteQuestion MakeImportQuestion(const INTERNET_CACHE_ENTRY_INFOA& info, const std::string& localPath)
{
    OverwriteQuestion question;
    // Name and extension of the local file, which together are its file name.
    const OverwriteSide cached{true, info.dwSizeLow, FileTimeToLocalFileTime(FileTimeTicks(info.LastModifiedTime))};
    SetQuestionTexts(question, FileNameOf(localPath), cached, ReadFileSide(localPath));
    question.IconFileOld = info.lpszLocalFileName ? info.lpszLocalFileName : "";
    question.IconFileNew = localPath;
    return question;
}

} // namespace larkspool
