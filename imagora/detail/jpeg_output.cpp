#include <cstdlib>

#include "imagora/detail/jpeg_common.h"

namespace imagora::detail {

namespace {

constexpr std::size_t kFirstBuffer = std::size_t{16} << 10;

JpegOutput& OutputOf(j_compress_ptr cinfo) {
  return *reinterpret_cast<JpegOutput*>(cinfo->dest);
}

void Start(j_compress_ptr cinfo) {
  JpegOutput& out = OutputOf(cinfo);
  std::free(out.data);
  out.data = static_cast<unsigned char*>(std::malloc(kFirstBuffer));
  out.size = 0;
  out.capacity = out.data ? kFirstBuffer : 0;
  if (!out.data)
    ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
  out.pub.next_output_byte = out.data;
  out.pub.free_in_buffer = kFirstBuffer;
}

// Called when the buffer is full: it doubles, and the old bytes stay valid
// until realloc has them moved, so an error here still leaves one live buffer.
// The whole buffer is full, whatever next_output_byte says: the Huffman
// encoder keeps its own copy of that pointer and does not store it first.
boolean Grow(j_compress_ptr cinfo) {
  JpegOutput& out = OutputOf(cinfo);
  const std::size_t used = out.capacity;
  const std::size_t capacity = used * 2;
  auto* grown = static_cast<unsigned char*>(std::realloc(out.data, capacity));
  if (!grown)
    ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 11);
  out.data = grown;
  out.capacity = capacity;
  out.pub.next_output_byte = grown + used;
  out.pub.free_in_buffer = capacity - used;
  return TRUE;
}

void Finish(j_compress_ptr cinfo) {
  JpegOutput& out = OutputOf(cinfo);
  out.size = std::size_t(out.pub.next_output_byte - out.data);
}

}  // namespace

void UseJpegOutput(jpeg_compress_struct& cinfo, JpegOutput& out) {
  out.pub.init_destination = Start;
  out.pub.empty_output_buffer = Grow;
  out.pub.term_destination = Finish;
  out.pub.next_output_byte = nullptr;
  out.pub.free_in_buffer = 0;
  out.data = nullptr;
  out.size = 0;
  out.capacity = 0;
  cinfo.dest = &out.pub;
}

}  // namespace imagora::detail
