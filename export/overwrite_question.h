// What the overwrite question shows: the conflict line, the old and the new
// side's size and date lines, and the files whose types give the two icons.
#pragma once

#include "catalogue/cache_entry.h"

#include <string>

namespace larkspool {

inline constexpr const char* kOverwriteCaption = "ﾌｧｲﾙの上書きの確認";

struct OverwriteQuestion {
    std::string ConflictLine;
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

// The size and date lines of a file on disk, both empty when it cannot be read.
void ReadFileLines(const std::string& path, std::string& sizeLine, std::string& dateLine);

} // namespace larkspool
