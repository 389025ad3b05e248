// A job host for tests: records what a window would show and answers the
// overwrite questions from a script.
#pragma once

#include "jobs/job_host.h"
#include "jobs/overwrite_question.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace larkspool::testing {

struct ReportedMessage {
    std::string text;
    std::string caption;
    unsigned flags = 0;
    std::string line; // as a terminal shows it
};

class ScriptedHost : public JobHost {
public:
    void ShowProgress(int position, const std::string& countText, const std::string& fileName) override
    {
        positions.push_back(position);
        counts.push_back(countText);
        fileNames.push_back(fileName);
    }
    void ShowFolders(const std::string& text) override
    {
        folders.push_back(text);
        if (onShowFolders)
            onShowFolders();
    }
    int AskOverwrite(const OverwriteQuestion& question) override
    {
        questions.push_back(question);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question.ConflictLine;
            return 2;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Report(const JobMessage& message, unsigned flags) override
    {
        reports.push_back({message.text, message.caption, flags, message.line});
    }
    void ProcessEvents() override
    {
        ++events;
        if (onEvents)
            onEvents(events);
    }
    bool CancelRequested() override { return cancelAtEvent > 0 && events >= cancelAtEvent; }

    std::vector<int> positions;
    std::vector<std::string> counts;
    std::vector<std::string> fileNames;
    std::vector<std::string> folders;
    std::vector<OverwriteQuestion> questions;
    std::vector<ReportedMessage> reports;
    std::deque<int> answers;
    // The cancel button is clicked during this ProcessEvents call (1-based).
    int cancelAtEvent = 0;
    int events = 0;
    std::function<void()> onShowFolders;
    std::function<void(int)> onEvents;
};

} // namespace larkspool::testing
