// The export's overwrite question: the file on disk is the old side, the
// cache entry the new one. Only the low 32 bits of the entry's size show.
#include "export/overwrite_question.h"

#include "export/size_date_texts.h"

namespace larkspool {

void ReadFileLines(const std::string& path, std::string& sizeLine, std::string& dateLine)
{
    FileTicks modified = 0;
    DWORD size = 0;
    if (GetLocalFileTimeAndSize(path, modified, size) != 0) {
        sizeLine.clear();
        dateLine.clear();
        return;
    }
    sizeLine = FormatSizeLine(size);
    dateLine = FormatDateLine(modified);
}

OverwriteQuestion MakeExportQuestion(const TCacheEntry& entry, const std::string& destPath)
{
    OverwriteQuestion question;
    question.ConflictLine = "このﾌｫﾙﾀﾞには既に'" + entry.Name + "'ﾌｧｲﾙが存在します。";
    ReadFileLines(destPath, question.SizeOld, question.DateOld);
    question.SizeNew = FormatSizeLine(entry.SizeLow);
    question.DateNew = FormatDateLine(entry.Modified);
    question.IconFileOld = destPath;
    question.IconFileNew = entry.LocalFile;
    return question;
}

} // namespace larkspool
