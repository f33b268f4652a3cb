// The floor of an export: decode each picture and encode it again as a JPEG of
// quality 90 with libjpeg-turbo, in one process, nothing else.
//
//   export_floor PICTURE...
#include <cstdio>
#include <cstdlib>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "export/convert_to_24bit.h"
#include "imagora/imagora.h"

int main(int argc, char** argv) {
  std::size_t total = 0;
  for (int i = 1; i < argc; ++i) {
    imagora::Dib owner = imagora::Open(argv[i], -1, nullptr);
    if (!owner) {
      std::fprintf(stderr, "cannot decode %s\n", argv[i]);
      return 1;
    }
    lumaret::ConvertTo24Bit(owner);
    const imagora::DibHandle& picture = owner.get();
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    const auto& h = picture.Info->bmiHeader;
    cinfo.image_width = JDIMENSION(h.biWidth);
    cinfo.image_height = JDIMENSION(h.biHeight);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = picture.Bits + std::int64_t(h.biHeight - 1 - int(cinfo.next_scanline)) *
                                        picture.BytesPerRow;
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    total += size;
    std::free(buffer);
  }
  std::printf("%d pictures, %zu bytes of JPEG\n", argc - 1, total);
  return 0;
}
