// The SIGBUS handler behind MappingGuard. Watched ranges live in a fixed
// table of atomics that the handler reads without locks; a fault outside
// every range goes on to the handler that was there before, or kills the
// process as it would have.
#include "cache/mapping_guard.h"

#ifndef _WIN32
#include <atomic>
#include <cstdint>
#include <mutex>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace larkspool {

#ifdef _WIN32

void MappingGuard::Watch(void*, std::size_t) {}
void MappingGuard::Unwatch() {}
unsigned MappingGuard::Faults() const { return 0; }

#else

namespace {

struct WatchedRange {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<unsigned> faults{0};
    std::atomic<bool> taken{false};
};

constexpr int kRanges = 64;
WatchedRange g_ranges[kRanges];
struct sigaction g_previous {};
std::uintptr_t g_pageSize = 4096;

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (WatchedRange& range : g_ranges) {
        const std::uintptr_t begin = range.begin.load();
        const std::uintptr_t end = range.end.load();
        if (begin == 0 || address < begin || address >= end)
            continue;
        const std::uintptr_t page = address & ~(g_pageSize - 1);
        void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            range.faults.fetch_add(1);
            return;
        }
    }
    if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(signal, info, context);
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
    } else {
        // Returning re-runs the faulting access, which now ends the process.
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigaction(SIGBUS, &standard, nullptr);
    }
}

void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_pageSize = std::uintptr_t(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_previous);
    });
}

} // namespace

void MappingGuard::Watch(void* data, std::size_t size)
{
    Unwatch();
    InstallHandler();
    for (int i = 0; i < kRanges; ++i) {
        bool expected = false;
        if (!g_ranges[i].taken.compare_exchange_strong(expected, true))
            continue;
        const auto begin = reinterpret_cast<std::uintptr_t>(data);
        g_ranges[i].faults.store(0);
        g_ranges[i].end.store((begin + size + g_pageSize - 1) & ~(g_pageSize - 1));
        g_ranges[i].begin.store(begin);
        m_slot = i;
        return;
    }
}

void MappingGuard::Unwatch()
{
    if (m_slot < 0)
        return;
    g_ranges[m_slot].begin.store(0);
    g_ranges[m_slot].end.store(0);
    g_ranges[m_slot].taken.store(false);
    m_slot = -1;
}

unsigned MappingGuard::Faults() const { return m_slot < 0 ? 0 : g_ranges[m_slot].faults.load(); }

#endif

} // namespace larkspool
