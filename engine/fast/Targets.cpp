#include "Targets.h"

#include <atomic>

namespace tintwell::fast {

namespace {

std::atomic<Target> cap{Target::Avx512};

Target bestTarget()
{
    static const Target best = [] {
        for (const Target t : {Target::Avx512, Target::Avx2})
            if (isCompiled(t) && processorRuns(t))
                return t;
        return Target::Baseline;
    }();
    return best;
}

} // namespace

bool processorRuns(Target t)
{
#if defined(__GNUC__) && defined(__x86_64__)
    switch (t) {
    case Target::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl") && processorRuns(Target::Avx2);
    case Target::Avx2:
        return __builtin_cpu_supports("avx2");
    case Target::Baseline:
        return true;
    }
    return false;
#else
    return t == Target::Baseline;
#endif
}

Target activeTarget()
{
    const Target best = bestTarget();
    const Target highest = cap.load(std::memory_order_relaxed);
    return static_cast<int>(highest) < static_cast<int>(best) ? highest : best;
}

void capTarget(Target highest)
{
    cap.store(highest, std::memory_order_relaxed);
}

} // namespace tintwell::fast
