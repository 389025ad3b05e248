// The store the URL cache contract runs against. The native build gives it an
// IndexDatCache in a fresh temporary folder; the Windows build gives it the
// real WinINet cache, shared with everything else on the machine, so the
// tests keep to a host of their own and delete what they create.
#pragma once

#include "cache/url_cache.h"

#include <memory>

namespace larkspool::testing {

class ContractStore {
public:
    virtual ~ContractStore() = default;
    virtual UrlCache& Cache() = 0;
    // False for a cache that may hold other programs' entries.
    virtual bool StartsEmpty() const = 0;
};

std::unique_ptr<ContractStore> MakeContractStore();

} // namespace larkspool::testing
