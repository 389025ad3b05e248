// Through libcrypto's digest interface, which picks the fastest code the
// processor allows.
#include "archive/sha256.h"

#include "cache/file_ptr.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

namespace larkspool::archive {

namespace {

// Fetched once: EVP_sha256() leaves libcrypto to look the implementation up
// again at every digest's start, a cost that shows with many small bodies.
const EVP_MD* Sha256Method()
{
    static const EVP_MD* const method = [] {
        const EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
        return fetched ? fetched : EVP_sha256();
    }();
    return method;
}

} // namespace

void Sha256::ContextFree::operator()(evp_md_ctx_st* context) const { EVP_MD_CTX_free(context); }

Sha256::Sha256() : m_context(EVP_MD_CTX_new())
{
    m_failed = !m_context || EVP_DigestInit_ex(m_context.get(), Sha256Method(), nullptr) != 1;
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size)
{
    if (!m_failed && size > 0 && EVP_DigestUpdate(m_context.get(), data, size) != 1)
        m_failed = true;
}

std::string Sha256::HexDigest()
{
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (m_failed || EVP_DigestFinal_ex(m_context.get(), value, &length) != 1) {
        m_failed = true;
        return {};
    }
    m_failed = true; // spent
    constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[value[i] >> 4];
        hex += kHex[value[i] & 15];
    }
    return hex;
}

std::string FileSha256(const std::string& path, std::uint64_t& bytes)
{
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return {};
    Sha256 hash;
    bytes = 0;
    char buffer[1 << 16];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get())) {
        hash.Update(buffer, got);
        bytes += got;
    }
    return std::ferror(file.get()) ? std::string() : hash.HexDigest();
}

} // namespace larkspool::archive
