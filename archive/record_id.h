// The WARC-Record-ID of a new record: a random (version 4) UUID as a URN.
#pragma once

#include <string>

namespace larkspool::archive {

// "<urn:uuid:xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx>"; empty when the system
// gives no random bytes.
std::string NewRecordId();

} // namespace larkspool::archive
