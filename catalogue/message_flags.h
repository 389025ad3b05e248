// Message box flags as the logic layers state what to show, without Qt: the
// Win32 values, one icon added to one set of buttons.
#pragma once

namespace larkspool {

// Icons.
inline constexpr int kMessageNoIcon = 0;
inline constexpr int kMessageStop = 16;
inline constexpr int kMessageQuestion = 32;
inline constexpr int kMessageExclamation = 48;
inline constexpr int kMessageInformation = 64;

// Buttons.
inline constexpr int kMessageOk = 0;
inline constexpr int kMessageOkCancel = 1;
inline constexpr int kMessageYesNo = 4;
inline constexpr int kMessageRetryCancel = 5;

} // namespace larkspool
