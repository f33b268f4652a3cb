// The memory a piece of work takes at its peak, measured in a child process
// so that what the test program held before does not count.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace imagora::testing {

// How far work() raised the child's peak resident size, in MiB; -1 when it
// reported failure. Under AddressSanitizer its shadow memory counts too.
template <typename Work>
long PeakGrowthMiB(Work work) {
  int fds[2];
  long growth = -2;
  if (pipe(fds) != 0)
    return growth;
  if (fork() == 0) {
    rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    const bool ok = work();
    getrusage(RUSAGE_SELF, &after);
    growth = ok ? (after.ru_maxrss - before.ru_maxrss) / 1024 : -1;
    _exit(write(fds[1], &growth, sizeof growth) == sizeof growth ? 0 : 1);
  }
  close(fds[1]);
  if (read(fds[0], &growth, sizeof growth) != sizeof growth)
    growth = -2;
  close(fds[0]);
  wait(nullptr);
  return growth;
}

}  // namespace imagora::testing
