// What a copy, move or delete runs with. The main window keeps one, whose
// destination and default names are the settings its dialogs change, and
// fills in the kind and the entries when a command starts; larkspool-cli
// fills one from its options. Both hand it to the same export job.
#pragma once

#include "catalogue/cache_entry.h"
#include "catalogue/default_files.h"

#include <string>
#include <vector>

namespace larkspool {

inline constexpr int kOpCopy = 1;
inline constexpr int kOpDelete = 2;
inline constexpr int kOpMove = 3;

struct CommandState {
    int opKind = kOpCopy;
    // The entries the command takes.
    std::vector<TCacheEntry*> jobList;
    // The destination folder; empty when none is set.
    std::string copyDir;
    DefaultFiles defaultFiles;
};

} // namespace larkspool
