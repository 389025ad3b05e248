// The open enumerations of a URL cache, each handed out as the handle that
// FindNextUrlCacheEntryA and FindCloseUrlCache take back.
#pragma once

#include "cache/url_cache.h"

#include <memory>
#include <unordered_map>

namespace larkspool {

template <typename State>
class EnumerationHandles {
public:
    // Keeps state; its address is the handle.
    CacheEnumHandle Open(std::unique_ptr<State> state)
    {
        void* handle = state.get();
        m_states.emplace(handle, std::move(state));
        return handle;
    }
    // nullptr for a handle that is not open.
    State* Find(CacheEnumHandle handle) const
    {
        const auto found = m_states.find(handle);
        return found == m_states.end() ? nullptr : found->second.get();
    }
    // false for a handle that is not open.
    bool Close(CacheEnumHandle handle) { return m_states.erase(handle) != 0; }

private:
    std::unordered_map<const void*, std::unique_ptr<State>> m_states;
};

} // namespace larkspool
