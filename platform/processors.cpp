#include "platform/processors.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace lumaret {

namespace {

// The processors of the affinity mask, which a container or taskset may
// narrow below the machine's count.
unsigned AvailableProcessors() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0)
    return unsigned(std::max(CPU_COUNT(&set), 1));
  return std::max(std::thread::hardware_concurrency(), 1U);
}

}  // namespace

std::uint64_t WorkerMemoryBudget() {
  std::uint64_t memory =
      std::uint64_t(::sysconf(_SC_PHYS_PAGES)) * std::uint64_t(::sysconf(_SC_PAGESIZE));
  // A container's limit; "max" when there is none.
  if (std::FILE* limit = std::fopen("/sys/fs/cgroup/memory.max", "r")) {
    unsigned long long bytes = 0;
    if (std::fscanf(limit, "%llu", &bytes) == 1 && bytes > 0)
      memory = std::min<std::uint64_t>(memory, bytes);
    std::fclose(limit);
  }
  return std::max<std::uint64_t>(memory / 4, std::uint64_t{1} << 30);
}

unsigned WorkerThreads(std::string* complaint) {
  const char* text = std::getenv("LUMARET_THREADS");
  if (!text || !*text)
    return AvailableProcessors();
  char* end = nullptr;
  const long threads = std::strtol(text, &end, 10);
  if (*end == '\0' && threads >= 1 && threads <= long(kMaxWorkerThreads))
    return unsigned(threads);
  const unsigned processors = AvailableProcessors();
  if (complaint)
    *complaint = "LUMARET_THREADS=" + std::string(text) + " is not a number from 1 to " +
                 std::to_string(kMaxWorkerThreads) + "; using " + std::to_string(processors);
  return processors;
}

}  // namespace lumaret
