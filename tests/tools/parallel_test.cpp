// The jobs of a batch spread over the cores: every input is handled once,
// whether there are fewer inputs than cores or many more.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "tools/parallel.h"

namespace {

TEST(ParallelTest, EveryIndexRunsExactlyOnceWhateverTheCount) {
  for (const std::size_t count : {0u, 1u, 2u, 3u, 64u, 1000u}) {
    SCOPED_TRACE(count);
    // One slot per job, as the batch keeps one reading per input.
    std::vector<int> runs(count, 0);
    tools::for_each_parallel(count, [&runs](std::size_t i) { ++runs[i]; });
    EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), std::ptrdiff_t(count));
  }
}

}  // namespace
