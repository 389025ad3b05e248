// Records the HASH chain no longer reaches whose blocks were never used
// again: entries deleted or evicted, LEAK records, REDR records. What an old
// disk still holds, for reading only: nothing that writes looks at them.
#pragma once

#include "cache/index_dat_format.h"

#include <vector>

namespace larkspool {

class IndexDatStore;

// Every URL, LEAK or REDR record that parses whole inside its stated blocks
// and the file, none of whose blocks the chain reaches, in block order. The
// blocks of a record found are not looked at again, so a record's strings
// never pass for a record of their own.
std::vector<indexdat::UrlRecord> FindRecoveredRecords(const IndexDatStore& store);

} // namespace larkspool
