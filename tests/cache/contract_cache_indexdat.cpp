// The contract's store on platforms without WinINet: an IndexDatCache in a
// temporary folder of its own, removed with the store.
#include "cache/index_dat_cache.h"
#include "tests/cache/contract_cache.h"

#include <filesystem>
#include <random>
#include <string>

namespace larkspool::test {

namespace {

std::filesystem::path FreshFolder()
{
    std::random_device random;
    for (;;) {
        auto folder = std::filesystem::temp_directory_path() /
                      ("larkspool-contract-" + std::to_string(random()) + "/Content.IE5");
        if (!std::filesystem::exists(folder.parent_path())) {
            std::filesystem::create_directories(folder.parent_path());
            return folder;
        }
    }
}

class IndexDatStore final : public ContractStore {
public:
    IndexDatStore() : m_folder(FreshFolder()), m_cache(m_folder) {}
    ~IndexDatStore() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder.parent_path(), ignored);
    }

    UrlCache& Cache() override { return m_cache; }
    bool StartsEmpty() const override { return true; }

private:
    std::filesystem::path m_folder;
    IndexDatCache m_cache;
};

} // namespace

std::unique_ptr<ContractStore> MakeContractStore()
{
    return std::make_unique<IndexDatStore>();
}

} // namespace larkspool::test
