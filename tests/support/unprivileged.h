// Dropping root's right to write anywhere for a step of a test.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace larkspool::testing {

// Runs as an ordinary user for its lifetime, so that read-only files are
// read-only; root first hands the given folders to that user. Skips the
// test when neither is possible.
class Unprivileged {
public:
    static constexpr uid_t kNobody = 65534;

    explicit Unprivileged(const std::vector<std::string>& folders)
    {
        if (::geteuid() != 0)
            return;
        std::error_code error;
        for (const std::string& folder : folders) {
            [[maybe_unused]] int ignored = ::chown(folder.c_str(), kNobody, kNobody);
            for (const auto& item : std::filesystem::recursive_directory_iterator(folder, error))
                ignored = ::lchown(item.path().c_str(), kNobody, kNobody);
        }
        m_dropped = ::seteuid(kNobody) == 0;
    }
    ~Unprivileged()
    {
        if (m_dropped && ::seteuid(0) != 0)
            std::abort();
    }
    bool Active() const { return m_dropped || ::geteuid() != 0; }

private:
    bool m_dropped = false;
};

} // namespace larkspool::testing
