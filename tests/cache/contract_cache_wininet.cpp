// The contract's store on Windows: the user's own WinINet cache.
#include "cache/wininet_cache.h"
#include "tests/cache/contract_cache.h"

namespace larkspool::testing {

namespace {

class WinInetStore final : public ContractStore {
public:
    UrlCache& Cache() override { return m_cache; }
    bool StartsEmpty() const override { return false; }

private:
    WinInetCache m_cache;
};

} // namespace

std::unique_ptr<ContractStore> MakeContractStore()
{
    return std::make_unique<WinInetStore>();
}

} // namespace larkspool::testing
