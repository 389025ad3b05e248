// The contract's store on platforms without WinINet: an IndexDatCache in a
// temporary folder of its own, removed with the store.
#include "cache/index_dat_cache.h"
#include "tests/cache/contract_cache.h"
#include "tests/support/temp_folder.h"

namespace larkspool::testing {

namespace {

class IndexDatStore final : public ContractStore {
public:
    UrlCache& Cache() override { return m_cache; }
    bool StartsEmpty() const override { return true; }

private:
    TempFolder m_folder;
    IndexDatCache m_cache{m_folder.Path() / "Content.IE5"};
};

} // namespace

std::unique_ptr<ContractStore> MakeContractStore()
{
    return std::make_unique<IndexDatStore>();
}

} // namespace larkspool::testing
