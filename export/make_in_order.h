// The pictures of a show made on several threads at once and handed on
// strictly in show order, on the calling thread, as one thread would.
#pragma once

#include <cstdint>
#include <functional>

#include "export/picture_jpeg.h"
#include "platform/progress.h"

namespace lumaret {

// Makes position's picture, reporting to progress; may run on any thread.
using MakePicture =
    std::function<bool(std::uint32_t position, ProgressSink* progress, PictureJpeg& jpeg)>;
// Receives position's picture on the calling thread; false stops the work.
using TakePicture = std::function<bool(std::uint32_t position, const PictureJpeg& jpeg)>;

// Bytes that making position's picture takes at its peak, as far as can be
// told before it is made; budget bounds the pictures made at once by their
// costs together, but one picture alone is always made.
struct MemoryBudget {
  std::uint64_t bytes = 0;  // 0: no bound
  std::function<std::uint64_t(std::uint32_t position)> cost;
};

// Makes pictures 1 to count with make on up to `threads` threads and hands
// each to take in order. At most threads + 1 pictures exist at once, the one
// being taken included, whatever count is. Progress runs from 0 to 100 once
// per picture, in order, on the calling thread. False as soon as make or take
// fails; pictures being made then are finished and dropped, and no further
// one is begun. With one thread everything runs on the calling thread, and
// make reports to progress directly. A picture that would pass the budget
// waits until the pictures being made are finished.
bool MakeInOrder(std::uint32_t count, unsigned threads, ProgressSink* progress,
                 const MakePicture& make, const TakePicture& take, const MemoryBudget& budget = {});

}  // namespace lumaret
