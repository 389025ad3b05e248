// Byte strings as the windows show them. Names and titles come from URLs,
// pages and disks of any age, so UTF-8, Shift-JIS and JIS (ISO-2022-JP)
// bytes occur, and one line may join the program's UTF-8 text with a name
// in another encoding.
#pragma once

#include <QString>

#include <string>

namespace larkspool {

// Each run of bytes between ASCII punctuation, digits and spaces (bytes below
// 0x40, which no Shift-JIS character contains) is decoded on its own: UTF-8
// when valid, otherwise Windows-31J (code page 932). JIS runs, from an escape
// into a two-byte set up to the escape out of it, are decoded as JIS.
QString DisplayText(const std::string& bytes);

} // namespace larkspool
