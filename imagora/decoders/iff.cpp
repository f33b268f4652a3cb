// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsIff(Bytes) { return false; }
bool DecodeIff(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
