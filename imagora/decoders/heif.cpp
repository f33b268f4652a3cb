// Placeholder until the decoder lands: the format is not recognised yet.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsHeif(Bytes) {
  return false;
}

bool DecodeHeif(Bytes, DibHandle*, ProgressReporter&) {
  return false;
}

bool DecodeHeifReduced(Bytes, int, int, DibHandle*, ProgressReporter&, int*, int*) {
  return false;
}

}  // namespace imagora::detail
