// What a refresh needs from whoever shows it: the refresh dialog, the
// command-line tool, a test.
#pragma once

#include <string>

namespace larkspool {

// Message box icons, as the windows' flags.
inline constexpr int kMessageNoIcon = 0;
inline constexpr int kMessageInformation = 64;

class RefreshProgress {
public:
    virtual ~RefreshProgress() = default;

    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Called before each accepted entry is read: the dialog repaints and its
    // cancel button may call Catalogue::CancelRefresh.
    virtual void ProcessEvents() = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption, int flags) = 0;
};

} // namespace larkspool
