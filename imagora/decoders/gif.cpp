// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsGif(Bytes) { return false; }
bool DecodeGif(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
