#include <cstring>

#include "imagora/detail/decoders.h"
#include "imagora/detail/reduced_jpeg.h"
#include "imagora/imagora.h"
#include "platform/read_file.h"

namespace imagora {

namespace {

using namespace detail;

// No picture file we can decode comes near this; anything larger is refused
// before it is read.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

struct Format {
  bool (*is)(Bytes);
  bool (*decode)(Bytes, DibHandle*, ProgressReporter&);
};

// Formats with a signature first; TGA, which has none, last.
constexpr Format kFormats[] = {
    {IsJpeg, DecodeJpeg}, {IsPng, DecodePng}, {IsGif, DecodeGif}, {IsTiff, DecodeTiff},
    {IsBmp, DecodeBmp},   {IsIff, DecodeIff}, {IsPcx, DecodePcx}, {IsTga, DecodeTga},
};

bool Decode(Bytes file, DibHandle* out, ProgressReporter& progress) {
  for (const Format& format : kFormats)
    if (format.is(file))
      return format.decode(file, out, progress);
  return false;
}

}  // namespace

void OpenDib(DibHandle* out, const char* fileName, int /*mode*/, lumaret::ProgressSink* owner) {
  std::memset(out, 0, sizeof *out);
  ProgressReporter progress(owner);
  progress.report(0);
  const lumaret::FileBytes file = lumaret::ReadWholeFile(fileName, kMaxFileSize);
  if (file.ok) {
    const Bytes bytes(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size());
    if (!Decode(bytes, out, progress))
      std::memset(out, 0, sizeof *out);
  }
  progress.report(100);
}

void OpenDibReduced(DibHandle* out, const char* fileName, int boxWidth, int boxHeight,
                    lumaret::ProgressSink* owner, int* fullWidth, int* fullHeight) {
  std::memset(out, 0, sizeof *out);
  *fullWidth = *fullHeight = 0;
  ProgressReporter progress(owner);
  progress.report(0);
  const lumaret::FileBytes file = lumaret::ReadWholeFile(fileName, kMaxFileSize);
  if (file.ok) {
    const Bytes bytes(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size());
    bool decoded;
    if (IsJpeg(bytes)) {
      decoded =
          DecodeProgressiveDc(bytes, boxWidth, boxHeight, out, progress, fullWidth, fullHeight) ||
          DecodeJpegReduced(bytes, boxWidth, boxHeight, out, progress, fullWidth, fullHeight);
    } else {
      decoded = Decode(bytes, out, progress);
      if (decoded) {
        *fullWidth = out->Info->bmiHeader.biWidth;
        *fullHeight = out->Info->bmiHeader.biHeight;
      }
    }
    if (!decoded) {
      std::memset(out, 0, sizeof *out);
      *fullWidth = *fullHeight = 0;
    }
  }
  progress.report(100);
}

}  // namespace imagora
