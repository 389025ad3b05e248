// SHA-256 fed in pieces: a body of any size is hashed without a copy of
// itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct evp_md_ctx_st;

namespace larkspool::archive {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, std::size_t size);
    // Lower-case hex, after which the hash is spent; empty when libcrypto failed.
    std::string HexDigest();

private:
    struct ContextFree {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, ContextFree> m_context;
    bool m_failed = false;
};

// The hex digest of a file's bytes and how many there were; empty when it
// cannot be read.
std::string FileSha256(const std::string& path, std::uint64_t& bytes);

} // namespace larkspool::archive
