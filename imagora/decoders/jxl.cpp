// Placeholder until the decoder lands: the format is not recognised yet.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsJxl(Bytes) {
  return false;
}

bool DecodeJxl(Bytes, DibHandle*, ProgressReporter&) {
  return false;
}

bool DecodeJxlReduced(Bytes, int, int, DibHandle*, ProgressReporter&, int*, int*) {
  return false;
}

}  // namespace imagora::detail
