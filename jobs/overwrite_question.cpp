// The export's overwrite question: the file on disk is the old side, the
// cache entry the new one. Only the low 32 bits of the entry's size show.
#include "jobs/overwrite_question.h"

#include "catalogue/size_date_texts.h"
#include "catalogue/translated_text.h"

namespace larkspool {

OverwriteSide ReadFileSide(const std::string& path)
{
    OverwriteSide side;
    side.readable = GetLocalFileTimeAndSize(path, side.modified, side.size) == 0;
    return side;
}

void SetQuestionTexts(OverwriteQuestion& question, const std::string& fileName, const OverwriteSide& old,
                      const OverwriteSide& replacement)
{
    question.FileName = fileName;
    question.ConflictLine = FillIn(Translated("OverwriteQuestion", "このﾌｫﾙﾀﾞには既に'%1'ﾌｧｲﾙが存在します。"), {fileName});
    question.Old = old;
    question.New = replacement;
    const auto lines = [](const OverwriteSide& side, std::string& sizeLine, std::string& dateLine) {
        sizeLine = side.readable ? FormatSizeLine(side.size) : std::string();
        dateLine = side.readable ? FormatDateLine(side.modified) : std::string();
    };
    lines(old, question.SizeOld, question.DateOld);
    lines(replacement, question.SizeNew, question.DateNew);
}

OverwriteQuestion MakeExportQuestion(const TCacheEntry& entry, const std::string& destPath)
{
    OverwriteQuestion question;
    SetQuestionTexts(question, entry.Name, ReadFileSide(destPath), {true, entry.SizeLow, entry.Modified});
    question.IconFileOld = destPath;
    question.IconFileNew = entry.LocalFile;
    return question;
}

} // namespace larkspool
