// Survives a mapped file that another program cuts short: touching a page past
// the file's new end raises SIGBUS, which would kill the process. While a
// mapping is watched, such a fault puts zero pages over the rest of it and is
// counted, so the reader sees zeros (which decode as nothing) and can report
// the damage. Windows does not let a mapped file shrink; there this does nothing.
#pragma once

#include <cstddef>

namespace larkspool {

class MappingGuard {
public:
    MappingGuard() = default;
    ~MappingGuard() { Unwatch(); }
    MappingGuard(const MappingGuard&) = delete;
    MappingGuard& operator=(const MappingGuard&) = delete;

    // Watches [data, data + size); replaces what was watched before.
    void Watch(void* data, std::size_t size);
    void Unwatch();
    // Faults caught in the mapping since it was watched.
    unsigned Faults() const;

private:
    int m_slot = -1;
};

} // namespace larkspool
