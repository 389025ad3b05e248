// What the overwrite question shows: the conflict line, the old and the new
// side's size and date lines, and the files whose types give the two icons.
#pragma once

#include "catalogue/cache_entry.h"

#include <QtGlobal>
#include <string>

namespace larkspool {

inline constexpr const char* kOverwriteCaption = QT_TRANSLATE_NOOP("OverwriteQuestion", "ﾌｧｲﾙの上書きの確認");

// One side of the question as a terminal tells it: the file's size and
// local modification time, when it can be read.
struct OverwriteSide {
    bool readable = false;
    DWORD size = 0;
    FileTicks modified = 0;
};

struct OverwriteQuestion {
    std::string FileName;
    std::string ConflictLine;
    OverwriteSide Old;
    OverwriteSide New;
    // Empty when that side's file cannot be read.
    std::string SizeOld;
    std::string DateOld;
    std::string SizeNew;
    std::string DateNew;
    // The icons are those of these files' types; "" for none.
    std::string IconFileOld;
    std::string IconFileNew;
};

// The export's question: the existing file at destPath against the entry.
OverwriteQuestion MakeExportQuestion(const TCacheEntry& entry, const std::string& destPath);

// A file on disk as one side of the question.
OverwriteSide ReadFileSide(const std::string& path);

// Sets the question's name, conflict line and both sides, with their size
// and date lines (empty for a side that cannot be read).
void SetQuestionTexts(OverwriteQuestion& question, const std::string& fileName, const OverwriteSide& old,
                      const OverwriteSide& replacement);

} // namespace larkspool
