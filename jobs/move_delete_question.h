// The question asked before a move or a delete: caption and text by the kind
// of the command and the number of entries it takes.
#pragma once

#include "catalogue/cache_entry.h"

#include <string>
#include <vector>

namespace larkspool {

struct MoveDeleteQuestion {
    std::string Caption;
    std::string Text;
};

// opKind kOpMove asks about a move; any other kind about a delete.
MoveDeleteQuestion MakeMoveDeleteQuestion(int opKind, const std::vector<TCacheEntry*>& jobList);

} // namespace larkspool
