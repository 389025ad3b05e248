// Caption and text of the move/delete confirmation.
#include "jobs/move_delete_question.h"

#include "jobs/export_job.h"

namespace larkspool {

MoveDeleteQuestion MakeMoveDeleteQuestion(int opKind, const std::vector<TCacheEntry*>& jobList)
{
    const bool move = opKind == kOpMove;
    if (jobList.size() == 1) {
        const std::string& name = jobList.front()->Name;
        if (move)
            return {"ﾌｧｲﾙの移動の確認", "'" + name + "' を移動してもよろしいですか?"};
        return {"ﾌｧｲﾙの削除の確認", "'" + name + "' を削除してもよろしいですか?"};
    }
    const std::string count = std::to_string(jobList.size());
    if (move)
        return {"複数ﾌｧｲﾙの移動の確認", "これらの " + count + " 個のﾌｧｲﾙを移動してもよろしいですか?"};
    return {"複数ﾌｧｲﾙの削除の確認", "これらの " + count + " 個のﾌｧｲﾙを削除してもよろしいですか?"};
}

} // namespace larkspool
