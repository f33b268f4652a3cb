#include "imaging/thumbnail.h"

#include <algorithm>
#include <cstdint>

#include "imagora/imagora.h"

namespace lumaret {

PictureSize ThumbnailSize(int width, int height) {
  if (width <= 0 || height <= 0)
    return {kThumbnailBox, kThumbnailBox};
  std::int64_t w = kThumbnailBox;
  std::int64_t h = std::int64_t(height) * kThumbnailBox / width;
  if (h > kThumbnailBox) {
    h = kThumbnailBox;
    w = std::int64_t(width) * kThumbnailBox / height;
  }
  return {int(std::max<std::int64_t>(w, 1)), int(std::max<std::int64_t>(h, 1))};
}

CellPicture ProvideThumbnail(SlideEntry& entry, ProgressSink* owner) {
  if (entry.Thumbnail.Bits) {
    const auto& h = entry.Thumbnail.Info->bmiHeader;
    return {entry.Thumbnail, ThumbnailSize(h.biWidth, h.biHeight), false};
  }
  imagora::DibHandle full{};
  int fullWidth = 0, fullHeight = 0;
  imagora::OpenDibReduced(&full, entry.FileName.c_str(), kThumbnailBox, kThumbnailBox, owner,
                          &fullWidth, &fullHeight);
  if (!full.Bits) {
    imagora::DibHandle blank{};
    imagora::newdib(&blank, kThumbnailBox, kThumbnailBox, 24, nullptr, 0);
    return {blank, {kThumbnailBox, kThumbnailBox}, true};
  }
  const PictureSize size = ThumbnailSize(fullWidth, fullHeight);
  imagora::DibHandle thumbnail = Resize(full, size.width, size.height);
  if (!thumbnail.Bits)
    return {full, size, true};
  imagora::deldib(&full);
  entry.Thumbnail = thumbnail;
  return {thumbnail, size, false};
}

}  // namespace lumaret
