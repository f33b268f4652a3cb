// Placeholder until the decoder lands.
#include "imagora/detail/decoders.h"

namespace imagora::detail {

bool IsJpeg(Bytes) { return false; }
bool DecodeJpeg(Bytes, DibHandle*, ProgressReporter&) { return false; }

}  // namespace imagora::detail

#include "imagora/detail/reduced_jpeg.h"
namespace imagora::detail {
bool DecodeJpegReduced(Bytes, int, int, DibHandle*, ProgressReporter&, int*, int*) { return false; }
}  // namespace imagora::detail
