// The overwrite answers: what each does to the standing mode, and the rule a
// mode gives a conflict.
#include "jobs/overwrite_mode.h"

namespace larkspool {

ConflictRule DecideConflict(OverwriteMode& mode, const std::function<int()>& ask)
{
    if (mode == OverwriteMode::None) {
        switch (ask()) {
        case kAnswerYes:
            return ConflictRule::Write;
        case kAnswerYesAll:
            mode = OverwriteMode::All;
            break;
        case kAnswerCancel:
            return ConflictRule::Stop;
        case kAnswerYesAllNewer:
            mode = OverwriteMode::Newer;
            break;
        case kAnswerNoAll:
            mode = OverwriteMode::NoneAll;
            break;
        default:
            return ConflictRule::Keep;
        }
    }
    switch (mode) {
    case OverwriteMode::All:
        return ConflictRule::Write;
    case OverwriteMode::Newer:
        return ConflictRule::WriteIfNewer;
    default:
        return ConflictRule::Keep;
    }
}

int AnswerOfButton(const std::string& name)
{
    static const char* const kNames[] = {"btnYes", "btnYesAll", "btnNo", "btnCancel", "btnYesAllNewDate", "btnNoAll"};
    for (int answer = 0; answer < 6; ++answer)
        if (name == kNames[answer])
            return answer;
    return -1;
}

} // namespace larkspool
