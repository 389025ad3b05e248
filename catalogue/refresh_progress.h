// What a refresh needs from whoever shows it: the refresh dialog, the
// command-line tool, a test.
#pragma once

#include "catalogue/message_flags.h"

#include <string>

namespace larkspool {

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

// A refresh that shows nothing and cannot be cancelled: for callers that
// want the catalogue only (the benchmarks time the work, not the dialog).
class SilentRefreshProgress final : public RefreshProgress {
public:
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessEvents() override {}
    void ShowMessage(const std::string&, const std::string&, int) override {}
};

} // namespace larkspool
