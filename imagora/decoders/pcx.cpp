// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsPcx(Bytes) { return false; }
bool DecodePcx(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
