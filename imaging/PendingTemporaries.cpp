// A fixed table of paths that a signal handler may read: no allocation and no
// locks, only atomics, so the handler stays async-signal-safe.
#include "PendingTemporaries.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace tintwell {

namespace {

// Saves run on a few worker threads at most; each holds one temporary.
constexpr int slotCount = 64;

enum SlotState : int { Free, Filling, Held };

struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};

Slot slots[slotCount];

extern "C" void removeAndResignal(int signal)
{
    for (Slot &slot : slots) {
        if (slot.state.load(std::memory_order_acquire) == Held)
            ::unlink(slot.path);
    }
    // Die of the same signal, so the parent sees what happened.
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

int rememberTemporary(const char *path)
{
    const size_t length = std::strlen(path);
    if (length >= PATH_MAX)
        return -1;
    for (int i = 0; i < slotCount; ++i) {
        int expected = Free;
        if (slots[i].state.compare_exchange_strong(expected, Filling, std::memory_order_acquire)) {
            std::memcpy(slots[i].path, path, length + 1);
            slots[i].state.store(Held, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void forgetTemporary(int slot)
{
    if (slot >= 0 && slot < slotCount)
        slots[slot].state.store(Free, std::memory_order_release);
}

void removeTemporariesOnSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue; // e.g. started with nohup: stay deaf to it
        struct sigaction action {};
        action.sa_handler = removeAndResignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace tintwell
