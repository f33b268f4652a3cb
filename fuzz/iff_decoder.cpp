// The IFF decoder must refuse damaged input without crashing, reading past it
// or allocating without bound, and must not touch its output when it refuses.
#include <cstdint>
#include <cstdlib>

#include "imagora/detail/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace imagora;
  const detail::Bytes bytes(data, size);
  const bool isIff = detail::IsIff(bytes);
  detail::ProgressReporter progress(nullptr);
  DibHandle dib{};
  // Decoded even when not recognised: the decoder must stand on its own.
  const bool decoded = detail::DecodeIff(bytes, &dib, progress);
  if (decoded != (dib.Bits != nullptr) || (decoded && !isIff) || (!decoded && dib.Info))
    std::abort();
  if (decoded) {
    // Every row must be there.
    const BitmapInfoHeader& h = dib.Info->bmiHeader;
    volatile std::uint8_t sink = 0;
    for (std::int64_t y = 0; y < h.biHeight; ++y)
      sink = sink ^ dib.Bits[y * dib.BytesPerRow + dib.BytesPerRow - 1];
  }
  deldib(&dib);
  return 0;
}
