// The Gif decoder must fail safely on any input: no crash, no leak, no
// read outside the bytes, no allocation beyond the picture-size limit.
#include <cstdint>

#include "imagora/detail/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace imagora;
  const detail::Bytes file(data, size);
  if (!detail::IsGif(file))
    return 0;
  detail::ProgressReporter progress(nullptr);
  DibHandle dib{};
  detail::DecodeGif(file, &dib, progress);
  deldib(&dib);
  return 0;
}
