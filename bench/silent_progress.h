// A refresh that shows nothing: the benchmarks time the work, not the dialog.
#pragma once

#include "catalogue/refresh_progress.h"

namespace larkspool::bench {

class SilentProgress : public RefreshProgress {
public:
    void SetProgressMaximum(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessEvents() override {}
    void ShowMessage(const std::string&, const std::string&, int) override {}
};

} // namespace larkspool::bench
