// The size of HEIF, WebP and JPEG XL pictures from their headers, through
// each format's library: what the export budgets before it decodes them.
#include <jxl/decode.h>
#include <libheif/heif.h>
#include <webp/decode.h>

#include <exception>
#include <memory>

#include "imagora/detail/decoders.h"

namespace imagora::detail {

std::uint64_t WebpPixels(Bytes file) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK)
    return 0;
  return std::uint64_t(features.width) * std::uint64_t(features.height);
}

std::uint64_t JxlPixels(Bytes file) {
  std::unique_ptr<JxlDecoder, decltype(&JxlDecoderDestroy)> decoder(JxlDecoderCreate(nullptr),
                                                                    JxlDecoderDestroy);
  JxlBasicInfo info;
  if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(decoder.get(), file.data(), file.size()) != JXL_DEC_SUCCESS)
    return 0;
  JxlDecoderCloseInput(decoder.get());
  if (JxlDecoderProcessInput(decoder.get()) != JXL_DEC_BASIC_INFO ||
      JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
    return 0;
  return std::uint64_t(info.xsize) * std::uint64_t(info.ysize);
}

// The primary picture's own size (its ispe): libheif reads the boxes only.
// It lets the standard library's exceptions out, memory running out above all.
std::uint64_t HeifPixels(Bytes file) try {
  std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                      heif_context_free);
  heif_image_handle* handle = nullptr;
  if (!context ||
      heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr)
              .code != heif_error_Ok ||
      heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok)
    return 0;
  const std::uint64_t pixels = std::uint64_t(heif_image_handle_get_width(handle)) *
                               std::uint64_t(heif_image_handle_get_height(handle));
  heif_image_handle_release(handle);
  return pixels;
} catch (const std::exception&) {
  return 0;
}

}  // namespace imagora::detail
