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

// Reads the file and runs decode on its bytes, reporting 0 and 100 around it
// whatever happens; out has no picture unless decode succeeded.
template <typename Decode>
void DecodeFile(DibHandle* out, const char* fileName, lumaret::ProgressSink* owner, Decode decode) {
  std::memset(out, 0, sizeof *out);
  ProgressReporter progress(owner);
  progress.report(0);
  const lumaret::FileBytes file = lumaret::ReadWholeFile(fileName, kMaxFileSize);
  if (file.ok) {
    const Bytes bytes(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size());
    if (!decode(bytes, progress))
      std::memset(out, 0, sizeof *out);
  }
  progress.report(100);
}

void OpenDib(DibHandle* out, const char* fileName, int /*mode*/, lumaret::ProgressSink* owner) {
  DecodeFile(out, fileName, owner, [out](Bytes bytes, ProgressReporter& progress) {
    return Decode(bytes, out, progress);
  });
}

void OpenDibReduced(DibHandle* out, const char* fileName, int boxWidth, int boxHeight,
                    lumaret::ProgressSink* owner, int* fullWidth, int* fullHeight) {
  *fullWidth = *fullHeight = 0;
  DecodeFile(out, fileName, owner, [&](Bytes bytes, ProgressReporter& progress) {
    if (IsJpeg(bytes))
      return DecodeExifThumbnail(bytes, boxWidth, boxHeight, out, fullWidth, fullHeight) ||
             DecodeJpegDc(bytes, boxWidth, boxHeight, out, progress, fullWidth, fullHeight) ||
             DecodeJpegReduced(bytes, boxWidth, boxHeight, out, progress, fullWidth, fullHeight);
    if (!Decode(bytes, out, progress))
      return false;
    *fullWidth = out->Info->bmiHeader.biWidth;
    *fullHeight = out->Info->bmiHeader.biHeight;
    return true;
  });
  if (!out->Bits)
    *fullWidth = *fullHeight = 0;
}

}  // namespace imagora
