// Renders on two threads at once, as the window's render and the filter
// gallery's worker run them: each gives the bytes of its own picture and
// settings, although the pass context they fill is process-wide.
#include "ImagePath.h"
#include "Pictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tintwell;

TEST(ConcurrentRender, EachThreadGetsTheBytesOfItsOwnSettings)
{
    struct Job {
        QImage source;
        PassSettings settings;
        QImage expected;
    };
    Job jobs[] = {{test::pattern(12, 8), {8, 7, 1, 2, 3, true, false}, {}},
                  {test::pattern(8, 12), {21, -9, 0, 5, 0, false, true}, {}}};
    for (Job &job : jobs)
        job.expected = renderImage(job.source, job.settings);
    std::atomic<int> wrong = 0;
    const auto run = [&](const Job &job) {
        for (int i = 0; i < 10000; ++i)
            wrong += test::sameBytes(renderImage(job.source, job.settings), job.expected) ? 0 : 1;
    };
    std::thread other(run, std::cref(jobs[1]));
    run(jobs[0]);
    other.join();
    EXPECT_EQ(wrong, 0);
}
