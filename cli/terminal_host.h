// The terminal as the refresh dialog and the job windows: a progress line on
// standard error when it is a terminal, message boxes as lines, and the
// overwrite question either asked or answered by a standing choice.
#pragma once

#include "catalogue/refresh_progress.h"
#include "jobs/job_host.h"

#include <string>

namespace larkspool::cli {

enum class OverwriteChoice { Ask, All, Newer, None };

// "ask", "all", "newer" or "none"; throws UsageError for anything else.
// Without a choice: ask when standard input is a terminal, else none.
OverwriteChoice ParseOverwriteChoice(const std::string* text);

bool InputIsTerminal();

// Asks a yes/no question on the terminal; false when standard input is not one.
bool AskYesNo(const std::string& caption, const std::string& text);

class TerminalHost final : public RefreshProgress, public JobHost {
public:
    explicit TerminalHost(OverwriteChoice choice = OverwriteChoice::None);
    ~TerminalHost() override;

    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    void ProcessEvents() override {}
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override;

    void ShowProgress(int position, const std::string& countText, const std::string& fileName) override;
    void ShowFolders(const std::string&) override {}
    int AskOverwrite(const OverwriteQuestion& question) override;
    void Report(const JobMessage& message, unsigned flags) override;
    bool CancelRequested() override { return false; }

private:
    void ProgressLine(const std::string& text);
    void EndProgressLine();

    OverwriteChoice m_choice;
    bool m_showProgress;
    bool m_lineOpen = false;
    int m_maximum = 0;
};

} // namespace larkspool::cli
