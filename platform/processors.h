#pragma once

#include <cstdint>
#include <string>

namespace lumaret {

inline constexpr unsigned kMaxWorkerThreads = 256;

// How many pictures to make at once: LUMARET_THREADS when it is a whole
// number from 1 to kMaxWorkerThreads, else the processors this process may
// run on. A value that is set but unusable is described in complaint, when
// given, so that a command line can say it was ignored.
unsigned WorkerThreads(std::string* complaint = nullptr);

// Bytes that the pictures being made at once may take together: a quarter of
// the memory this process may use (the machine's, or its control group's
// limit when lower), at least 1 GiB.
std::uint64_t WorkerMemoryBudget();

}  // namespace lumaret
