// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsTiff(Bytes) { return false; }
bool DecodeTiff(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
