// The instruction sets the fast loops are compiled for, and the one switch
// that picks, per call, the copy of a loop the processor runs.
#pragma once

#include <type_traits>

// GCC on x86-64 compiles every loop three times: for the x86-64 baseline,
// AVX2 and AVX-512 (x86-64-v4). TINTWELL_PORTABLE_LOOPS builds only the
// baseline, so that tests on a newer processor run the portable code; other
// compilers build only the baseline too.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(TINTWELL_PORTABLE_LOOPS)
#define TINTWELL_TARGET_COPIES 1
// Code written for the AVX-512 copy alone (intrinsics) carries this too.
#define TINTWELL_AVX512_TARGET __attribute__((target("arch=x86-64-v4")))
#endif

namespace tintwell::fast {

enum class Target { Baseline, Avx2, Avx512 };

// A target as a type, so that a loop can pick code written for one target
// (intrinsics) with `if constexpr`.
template <Target T>
using TargetTag = std::integral_constant<Target, T>;

// Whether this build holds loops compiled for t.
constexpr bool isCompiled(Target t)
{
#ifdef TINTWELL_TARGET_COPIES
    (void)t;
    return true;
#else
    return t == Target::Baseline;
#endif
}

// Whether the processor runs code compiled for t.
bool processorRuns(Target t);

// The target the loops run for: the best one compiled and run by the
// processor, and no higher than the cap.
Target activeTarget();

// Caps the target the loops run for (the highest by default), so that tests
// can run every copy the processor supports. Set it between passes.
void capTarget(Target highest);

#ifdef TINTWELL_TARGET_COPIES
// Each copy inlines everything the body calls (flatten), so the whole loop,
// its formula included, is compiled for the copy's instruction set. The
// 64-byte lane vectors never cross a call between copies. (Unoptimised builds
// do not flatten: there every copy calls the loops as compiled for the
// baseline, filter 21's AVX-512 rows aside.)
template <class Body>
[[gnu::flatten]] TINTWELL_AVX512_TARGET void runForAvx512(const Body &body)
{
    body(TargetTag<Target::Avx512>{});
}
template <class Body>
[[gnu::flatten]] __attribute__((target("avx2"))) void runForAvx2(const Body &body)
{
    body(TargetTag<Target::Avx2>{});
}
#endif
template <class Body>
[[gnu::flatten]] void runForBaseline(const Body &body)
{
    body(TargetTag<Target::Baseline>{});
}

// Runs body(tag) compiled for the active target. Loops call it once per row
// (or per band), inside their threads.
template <class Body>
inline void onTarget(const Body &body)
{
#ifdef TINTWELL_TARGET_COPIES
    switch (activeTarget()) {
    case Target::Avx512:
        runForAvx512(body);
        return;
    case Target::Avx2:
        runForAvx2(body);
        return;
    case Target::Baseline:
        break;
    }
#endif
    runForBaseline(body);
}

} // namespace tintwell::fast
