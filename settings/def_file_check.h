// The checks of the default file names dialog, apart from its widgets.
#pragma once

#include "catalogue/default_files.h"

#include <QtGlobal>
#include <string>

namespace larkspool {

inline constexpr const char* kDefFileCaption = QT_TRANSLATE_NOOP("DefFileCheck", "暗黙のﾌｧｲﾙ名設定");
inline constexpr int kDefFileMaxLength = 24;

// The text without leading and trailing blanks and control characters (codes
// up to 32).
std::string TrimDefFileName(const std::string& text);

// The names trimmed, as they would be stored.
DefaultFiles TrimDefFiles(const DefaultFiles& typed);

// The message that refuses names (already trimmed), or "" when they may be
// stored: the required name must be there, and a ticked optional name too,
// different from the required one without regard to ASCII case.
std::string CheckDefFiles(const DefaultFiles& names);

} // namespace larkspool
