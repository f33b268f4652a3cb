// Placeholder until the decoder lands: the format is not recognised yet.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsWebp(Bytes) {
  return false;
}

bool DecodeWebp(Bytes, DibHandle*, ProgressReporter&) {
  return false;
}

bool DecodeWebpReduced(Bytes, int, int, DibHandle*, ProgressReporter&, int*, int*) {
  return false;
}

}  // namespace imagora::detail
