// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsTga(Bytes) { return false; }
bool DecodeTga(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
