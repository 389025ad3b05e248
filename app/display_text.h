// Byte strings of the catalogue as the windows show them.
#pragma once

#include <QString>

#include <string>

namespace larkspool {

// UTF-8 when the bytes are valid UTF-8, otherwise Windows-31J (code page 932).
QString DisplayText(const std::string& bytes);

} // namespace larkspool
