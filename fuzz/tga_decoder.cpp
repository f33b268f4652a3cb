// The TGA decoder must refuse damaged input without crashing, reading past
// it or allocating for pictures the bytes cannot describe, and must deliver
// only what it claims to recognise, at a depth the library hands out.
#include <cstdint>
#include <cstdlib>

#include "imagora/detail/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace imagora;
  const detail::Bytes file(data, size);
  const bool recognised = detail::IsTga(file);
  detail::ProgressReporter progress(nullptr);
  DibHandle dib{};
  if (detail::DecodeTga(file, &dib, progress)) {
    const int bits = dib.Info->bmiHeader.biBitCount;
    if (!recognised || !dib.Bits || !(bits == 1 || bits == 4 || bits == 8 || bits == 24))
      std::abort();
  }
  deldib(&dib);
  return 0;
}
