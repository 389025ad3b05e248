// Small blockfile caches laid out as Chromium lays them out (index, data_0
// rankings, data_1 entries, data_2 and data_3 blocks, f_ external files),
// kept in memory so that tests and fuzzer seeds can damage any byte.
#pragma once

#include "tests/browsercache/chromium_bytes.h"
#include "tests/support/files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace larkspool::testing {

// A sparse entry's control data (its stream 2): the header naming the
// parent's key, then a bitmap, of the parent's children or of the 1 KiB
// blocks a child holds (lastBlock filled only lastLength bytes far).
inline std::string SparseControl(const std::string& parentKey, std::uint64_t signature, std::int32_t lastBlock,
                                 std::int32_t lastLength, const std::vector<std::uint32_t>& bits,
                                 std::size_t bitmapBytes)
{
    std::string map(bitmapBytes, '\0');
    for (const std::uint32_t bit : bits)
        map[bit / 8] = char(map[bit / 8] | 1 << (bit % 8));
    return Le64(signature) + Le32(0xC103CAC3) + Le32(std::uint32_t(parentKey.size())) +
           Le32(std::uint32_t(lastBlock)) + Le32(std::uint32_t(lastLength)) + std::string(40, '\0') + map;
}

class BlockfileBuilder {
public:
    enum class Where { Data1, Data2, Data3, External };

    static constexpr std::uint32_t kTableLength = 64;

    BlockfileBuilder()
    {
        std::string index = Le32(0xC103CAC3) + Le32(0x20001) + Le32(0) + std::string(16, '\0') + Le32(kTableLength);
        index.resize(0x170 + kTableLength * 4, '\0');
        m_files["index"] = index;
        const std::uint32_t blockSizes[4] = {36, 256, 1024, 4096};
        for (int n = 0; n < 4; ++n) {
            std::string header = Le32(0xC104CAC3) + Le32(0x20000) + Le32(std::uint32_t(n)) + Le32(blockSizes[n]);
            header.resize(8192, '\0');
            m_files["data_" + std::to_string(n)] = header;
        }
    }

    // Stores bytes where asked and returns their cache address.
    std::uint32_t Store(const std::string& bytes, Where where)
    {
        if (where == Where::External) {
            const std::uint32_t number = ++m_externalFiles;
            char name[16];
            std::snprintf(name, sizeof name, "f_%06x", unsigned(number));
            m_files[name] = bytes;
            return 0x80000000u | number;
        }
        const int file = where == Where::Data1 ? 1 : where == Where::Data2 ? 2 : 3;
        return Blocks(file, bytes);
    }

    // Adds an entry in use to the hash table's bucket and returns its address;
    // stream2 (a sparse body's control data) goes to data_2, flags to the entry.
    std::uint32_t AddEntry(const std::string& key, const std::string& responseRecord, const std::string& body,
                           Where bodyWhere, std::uint32_t bucket, std::uint64_t lastUsedMicroseconds = 0,
                           Where keyWhere = Where::Data1, const std::string& stream2 = {}, std::uint32_t flags = 0)
    {
        const std::uint32_t rankings = Blocks(0, Le64(lastUsedMicroseconds) + Le64(lastUsedMicroseconds / 2) + std::string(20, '\0'));
        const bool inlineKey = keyWhere == Where::Data1 && key.size() < 4 * 256 - 0x60;
        const std::uint32_t longKey = inlineKey ? 0 : Store(key, keyWhere);
        const std::uint32_t record = responseRecord.empty() ? 0 : Store(responseRecord, Where::Data1);
        const std::uint32_t bodyAddress = body.empty() ? 0 : Store(body, bodyWhere);
        const std::uint32_t stream2Address = stream2.empty() ? 0 : Store(stream2, Where::Data2);
        std::string& index = m_files["index"];
        const std::size_t slot = 0x170 + bucket * 4;
        std::string entry = Le32(bucket) + index.substr(slot, 4) + Le32(rankings) + Le32(0) + Le32(0) + Le32(0) +
                            Le64(lastUsedMicroseconds) + Le32(std::uint32_t(key.size())) + Le32(longKey) +
                            Le32(std::uint32_t(responseRecord.size())) + Le32(std::uint32_t(body.size())) +
                            Le32(std::uint32_t(stream2.size())) + Le32(0) + Le32(record) + Le32(bodyAddress) +
                            Le32(stream2Address) + Le32(0) + Le32(flags) + std::string(20, '\0');
        if (inlineKey)
            entry += key + '\0';
        const std::uint32_t address = Blocks(1, entry);
        index.replace(slot, 4, Le32(address));
        m_files["data_0"].replace(8192 + (rankings & 0xFFFF) * 36 + 24, 4, Le32(address)); // the node's entry
        return address;
    }

    std::map<std::string, std::string>& Files() { return m_files; }

    void WriteTo(const std::filesystem::path& folder) const
    {
        for (const auto& [name, bytes] : m_files)
            WriteFile(folder / name, bytes);
    }

private:
    // Appends bytes as whole blocks of data_N (at most four) and returns their address.
    std::uint32_t Blocks(int file, std::string bytes)
    {
        const std::uint32_t sizes[4] = {36, 256, 1024, 4096};
        const std::uint32_t size = sizes[file];
        const std::uint32_t count = std::uint32_t(std::max<std::size_t>(1, (bytes.size() + size - 1) / size));
        std::string& data = m_files["data_" + std::to_string(file)];
        const std::uint32_t first = std::uint32_t((data.size() - 8192) / size);
        bytes.resize(count * size, '\0');
        data += bytes;
        for (std::uint32_t block = first; block < first + count; ++block)
            data[80 + block / 8] = char(data[80 + block / 8] | 1 << (block % 8)); // the allocation bitmap
        const std::uint32_t type = file + 1;
        return 0x80000000u | (type << 28) | ((std::min<std::uint32_t>(count, 4) - 1) << 24) | (std::uint32_t(file) << 16) | first;
    }

    std::map<std::string, std::string> m_files;
    std::uint32_t m_externalFiles = 0;
};

} // namespace larkspool::testing
