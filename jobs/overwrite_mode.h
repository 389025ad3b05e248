// The six answers of the overwrite questions and the standing answer of one
// job run. The export and the import job share the rules; each keeps its own
// mode.
#pragma once

#include <functional>
#include <string>

namespace larkspool {

enum OverwriteAnswer : int {
    kAnswerYes = 0,
    kAnswerYesAll = 1,
    kAnswerNo = 2,
    kAnswerCancel = 3,
    kAnswerYesAllNewer = 4,
    kAnswerNoAll = 5,
};

// none: ask for each conflict; the others answer for the rest of the run.
enum class OverwriteMode { None, All, Newer, NoneAll };

// What becomes of one conflict.
enum class ConflictRule { Write, Keep, WriteIfNewer, Stop };

// Under a standing mode its rule; under none the answer of ask(), which may
// set a standing mode on the way. An answer outside 0 to 5 keeps the file.
ConflictRule DecideConflict(OverwriteMode& mode, const std::function<int()>& ask);

// The answer of a button by its component name ("btnYes" ... "btnNoAll");
// -1 for any other name.
int AnswerOfButton(const std::string& name);

} // namespace larkspool
