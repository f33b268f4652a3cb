// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsPng(Bytes) { return false; }
bool DecodePng(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
