#pragma once

#include <string>

namespace lumaret {

inline constexpr unsigned kMaxWorkerThreads = 256;

// How many pictures to make at once: LUMARET_THREADS when it is a whole
// number from 1 to kMaxWorkerThreads, else the processors this process may
// run on. A value that is set but unusable is described in complaint, when
// given, so that a command line can say it was ignored.
unsigned WorkerThreads(std::string* complaint = nullptr);

}  // namespace lumaret
