// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsBmp(Bytes) { return false; }
bool DecodeBmp(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail
