// What a job needs from whoever runs it: the progress window, the terminal of
// larkspool-cli, or a test's scripted stand-in. The job decides; the host
// shows, asks and lets the user's clicks through.
#pragma once

#include "catalogue/message_flags.h"
#include "catalogue/translated_text.h"

#include <string>

namespace larkspool {

struct OverwriteQuestion;

// What a job tells the user. The window shows text under caption, the fixed
// texts as they are; a terminal shows line instead: the same in English on
// one line, naming the path and, for a failure, the system's reason.
struct JobMessage {
    std::string caption;
    std::string text;
    std::string line;
};

// A failure at one path: "path", a line break and the reason under caption
// in the window; "doing path: reason" on a terminal (doing: "cannot copy to").
// The caption is one of the job's own, translated in its context.
inline JobMessage PathFailure(const std::string& caption, const std::string& doing, const std::string& path,
                              const std::string& reason)
{
    return {Translated("ExportJob", caption.c_str()), path + "\n" + reason, doing + " " + path + ": " + reason};
}

class JobHost {
public:
    virtual ~JobHost() = default;

    // Before each item: the bar's position (0 to 100), the remaining count
    // text ("あと 3 個") and the item's file name.
    virtual void ShowProgress(int position, const std::string& countText, const std::string& fileName) = 0;
    // The line that names where the item comes from and goes to.
    virtual void ShowFolders(const std::string& text) = 0;
    // An existing file stands in the way: returns the answer (OverwriteAnswer,
    // 0 to 5); anything else counts as "do not overwrite".
    virtual int AskOverwrite(const OverwriteQuestion& question) = 0;
    // A message box with Win32 flags.
    virtual void Report(const JobMessage& message, unsigned flags) = 0;
    // Lets pending events through once: repaint, a click on the cancel button.
    virtual void ProcessEvents() = 0;
    // True once the user has asked the job to stop; read after ProcessEvents.
    virtual bool CancelRequested() = 0;
};

} // namespace larkspool
