#include "platform/processors.h"

#include <sched.h>

#include <algorithm>
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
