// Caption and text of the move/delete confirmation.
#include "jobs/move_delete_question.h"

#include "catalogue/translated_text.h"
#include "jobs/export_job.h"

namespace larkspool {
namespace {
constexpr const char* kContext = "MoveDeleteQuestion";
} // namespace

MoveDeleteQuestion MakeMoveDeleteQuestion(int opKind, const std::vector<TCacheEntry*>& jobList)
{
    const bool move = opKind == kOpMove;
    if (jobList.size() == 1) {
        const std::string& name = jobList.front()->Name;
        if (move)
            return {Translated(kContext, "ﾌｧｲﾙの移動の確認"),
                    FillIn(Translated(kContext, "'%1' を移動してもよろしいですか?"), {name})};
        return {Translated(kContext, "ﾌｧｲﾙの削除の確認"),
                FillIn(Translated(kContext, "'%1' を削除してもよろしいですか?"), {name})};
    }
    const std::string count = std::to_string(jobList.size());
    if (move)
        return {Translated(kContext, "複数ﾌｧｲﾙの移動の確認"),
                FillIn(Translated(kContext, "これらの %1 個のﾌｧｲﾙを移動してもよろしいですか?"), {count})};
    return {Translated(kContext, "複数ﾌｧｲﾙの削除の確認"),
            FillIn(Translated(kContext, "これらの %1 個のﾌｧｲﾙを削除してもよろしいですか?"), {count})};
}

} // namespace larkspool
