#include "export/picture_jpeg.h"

#include "export/convert_to_24bit.h"
#include "export/make_in_order.h"
#include "imagora/imagora.h"
#include "imagora/pixel_access.h"
#include "platform/processors.h"

namespace lumaret {

namespace {

// What decoding a picture takes at its peak, per pixel: the 24-bit picture and
// the decoding library's own buffers (libtiff's RGBA raster, libjxl's and
// libheif's planes), generously.
constexpr std::uint64_t kDecodingBytesPerPixel = 8;

// Encodes a 24-bit picture; false, saying why, when libjpeg refuses it.
bool Encode(const imagora::DibHandle& picture, PictureJpeg& jpeg, imagora::Refusal* why) {
  if (picture.Info->bmiHeader.biBitCount != 24) {  // ConvertTo24Bit found no memory for it
    *why = imagora::Refusal::OutOfMemory;
    return false;
  }
  if (!imagora::EncodeJpeg(&picture, jpeg.bytes, why))
    return false;
  jpeg.width = imagora::DibWidth(picture);
  jpeg.height = imagora::DibHeight(picture);
  return true;
}

// MakePictureJpeg with the image library already at kExportJpegQuality.
bool MakeJpeg(const std::string& fileName, ProgressSink* progress, PictureJpeg& jpeg,
              bool keepJpeg) {
  if (imagora::KeptJpeg kept; keepJpeg && imagora::KeepJpeg(fileName.c_str(), kept, progress)) {
    jpeg.bytes = std::move(kept.bytes);
    jpeg.width = kept.width;
    jpeg.height = kept.height;
    jpeg.grey = kept.grey;
    return true;
  }
  // A JPEG is re-encoded a row at a time into the very same bytes, without
  // holding the decoded picture.
  if (imagora::RecodeJpeg(fileName.c_str(), jpeg.bytes, &jpeg.width, &jpeg.height, progress))
    return true;
  imagora::Refusal why = imagora::Refusal::None;
  imagora::Dib picture = imagora::Open(fileName.c_str(), -1, progress, &why);
  bool placeholder = !picture;
  if (placeholder)
    jpeg.refused = imagora::RefusalText(why);
  for (;;) {
    if (placeholder)
      picture = imagora::New(kPlaceholderWidth, kPlaceholderHeight, 24);
    if (!picture)
      return false;
    ConvertTo24Bit(picture);
    const bool encoded = Encode(picture.get(), jpeg, &why);
    picture.reset();
    if (encoded)
      return true;
    if (placeholder)
      return false;
    // Keep the object numbering whole: the placeholder takes the place of a
    // picture that could not be encoded.
    placeholder = true;
    jpeg.refused = imagora::RefusalText(why);
  }
}

}  // namespace

bool MakePictureJpeg(const std::string& fileName, ProgressSink* progress, PictureJpeg& jpeg,
                     bool keepJpeg) {
  imagora::SetJPEGQual(kExportJpegQuality);
  return MakeJpeg(fileName, progress, jpeg, keepJpeg);
}

bool ForEachPictureJpeg(
    const SlideList& slides, ProgressSink* progress,
    const std::function<bool(std::uint32_t position, const PictureJpeg& jpeg)>& take,
    const PictureOptions& options) {
  // The quality is one setting of the whole image library: set once before the
  // first picture, so that pictures made side by side never write it.
  imagora::SetJPEGQual(kExportJpegQuality);
  const auto entries = slides.begin();
  const MemoryBudget budget{
      options.memoryBudget ? options.memoryBudget : WorkerMemoryBudget(),
      [&](std::uint32_t position) {
        // A claim past kMaxPixels is refused before anything is allocated.
        const std::uint64_t pixels = imagora::PicturePixels(entries[position - 1].FileName.c_str());
        return pixels <= imagora::kMaxPixels ? pixels * kDecodingBytesPerPixel : 0;
      }};
  return MakeInOrder(
      slides.Count(), options.threads ? options.threads : WorkerThreads(), progress,
      [&](std::uint32_t position, ProgressSink* sink, PictureJpeg& jpeg) {
        return MakeJpeg(entries[position - 1].FileName, sink, jpeg, options.keepJpeg);
      },
      take, budget);
}

}  // namespace lumaret
