// Progress, messages and questions of the core's long work, on a terminal.
#include "cli/terminal_host.h"

#include "cli/cli_args.h"
#include "catalogue/catalogue.h"
#include "catalogue/translated_text.h"
#include "cli/cli_context.h"
#include "cli/cli_time.h"
#include "jobs/overwrite_mode.h"
#include "jobs/overwrite_question.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace larkspool::cli {

bool InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

namespace {

std::string ReadAnswer()
{
    std::string line;
    if (!std::getline(std::cin, line))
        return {};
    return line;
}

} // namespace

OverwriteChoice ParseOverwriteChoice(const std::string* text)
{
    if (!text)
        return InputIsTerminal() ? OverwriteChoice::Ask : OverwriteChoice::None;
    if (*text == "ask")
        return OverwriteChoice::Ask;
    if (*text == "all")
        return OverwriteChoice::All;
    if (*text == "newer")
        return OverwriteChoice::Newer;
    if (*text == "none")
        return OverwriteChoice::None;
    throw UsageError("--overwrite takes ask, all, newer or none, not " + *text);
}

bool AskYesNo(const std::string& caption, const std::string& text)
{
    if (!InputIsTerminal())
        return false;
    std::fprintf(stderr, "%s: %s [y/N] ", caption.c_str(), text.c_str());
    const std::string answer = ReadAnswer();
    return answer == "y" || answer == "Y" || answer == "yes";
}

TerminalHost::TerminalHost(OverwriteChoice choice) : m_choice(choice), m_showProgress(isatty(STDERR_FILENO) == 1) {}

TerminalHost::~TerminalHost() { EndProgressLine(); }

void TerminalHost::ProgressLine(const std::string& text)
{
    if (!m_showProgress)
        return;
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    m_lineOpen = true;
}

void TerminalHost::EndProgressLine()
{
    if (m_lineOpen)
        std::fputs("\r\033[K", stderr);
    m_lineOpen = false;
}

void TerminalHost::SetProgressMaximum(int maximum) { m_maximum = maximum; }

void TerminalHost::SetProgressPosition(int position)
{
    if (position == m_maximum || position % 256 == 0)
        ProgressLine("reading the cache: " + std::to_string(position) + " / " + std::to_string(m_maximum));
}

void TerminalHost::ShowMessage(const std::string& text, const std::string& caption, int)
{
    EndProgressLine();
    // The refresh's one fixed text in Japanese, in English like every other line here.
    CliContext::Message(caption, text == Translated("Catalogue", kEmptyCacheText) ? "the cache holds no files" : text);
}

void TerminalHost::ShowProgress(int position, const std::string& countText, const std::string& fileName)
{
    ProgressLine(std::to_string(position) + "% " + countText + " " + fileName);
}

int TerminalHost::AskOverwrite(const OverwriteQuestion& question)
{
    switch (m_choice) {
    case OverwriteChoice::All:
        return kAnswerYesAll;
    case OverwriteChoice::Newer:
        return kAnswerYesAllNewer;
    case OverwriteChoice::None:
        return kAnswerNoAll;
    case OverwriteChoice::Ask:
        break;
    }
    EndProgressLine();
    const auto side = [](const OverwriteSide& file) {
        return file.readable ? std::to_string(file.size) + " bytes, modified " + FormatLocalTicks(file.modified)
                             : std::string("cannot be read");
    };
    std::fprintf(stderr, "'%s' is already there\n  now: %s\n  new: %s\n", question.FileName.c_str(),
                 side(question.Old).c_str(), side(question.New).c_str());
    for (;;) {
        std::fputs("overwrite? [y]es, yes to [a]ll, [n]o, [c]ancel, all if [newer], no to a[l]l: ", stderr);
        const std::string answer = ReadAnswer();
        if (answer == "y")
            return kAnswerYes;
        if (answer == "a")
            return kAnswerYesAll;
        if (answer == "n")
            return kAnswerNo;
        if (answer == "c" || !std::cin)
            return kAnswerCancel;
        if (answer == "newer")
            return kAnswerYesAllNewer;
        if (answer == "l")
            return kAnswerNoAll;
    }
}

void TerminalHost::Report(const JobMessage& message, unsigned)
{
    EndProgressLine();
    CliContext::Line(message.line);
}

} // namespace larkspool::cli
