#pragma once

// Runs independent jobs on every core.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace tools {

// Calls `job(i)` for every i below `count`, spread over the machine's cores;
// returns when all have returned. The jobs must not share what they change.
inline void for_each_parallel(std::size_t count, const std::function<void(std::size_t)>& job) {
  const std::size_t threads =
      std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) job(i);
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace tools
