// The HEIC and AVIF decoder against any input.
#include "fuzz/decoder_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return imagora::fuzzing::FuzzDecoder(imagora::detail::IsHeif, imagora::detail::DecodeHeif, data,
                                       size);
}
