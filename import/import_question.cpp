// The import's overwrite question, the export's with its sides swapped.
#include "import/import_question.h"

#include "export/destination_path.h"
#include "export/file_times.h"
#include "export/size_date_texts.h"

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
