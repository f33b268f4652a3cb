// The reduced JPEG decodes for thumbnails, the DC reader first: any input
// fails safely, and whatever the DC reader accepts libjpeg-turbo reads to a
// picture of the same size.
#include <cstdint>
#include <cstdlib>

#include "imagora/detail/reduced_jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace imagora;
  const detail::Bytes file(data, size);
  detail::ProgressReporter progress(nullptr);
  DibHandle dc{}, full{};
  int w = 0, h = 0, w2 = 0, h2 = 0;
  const bool fromDc = detail::DecodeJpegDc(file, 8, 8, &dc, progress, &w, &h);
  detail::DecodeJpegReduced(file, 8, 8, &full, progress, &w2, &h2);
  // Both read at 1/8 scale: the same full size and the same picture size.
  if (fromDc && full.Bits &&
      (w != w2 || h != h2 || dc.Info->bmiHeader.biWidth != full.Info->bmiHeader.biWidth ||
       dc.Info->bmiHeader.biHeight != full.Info->bmiHeader.biHeight))
    std::abort();
  deldib(&dc);
  deldib(&full);
  return 0;
}
