// Makes a camera-like photo for the grid benchmark: a copy of PHOTO.jpg that
// carries THUMB.jpg as its Exif thumbnail, as cameras and phones store one.
//   camera_photo PHOTO.jpg THUMB.jpg OUT.jpg
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Read(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void U16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char(v >> 8 & 0xFF);
}
void U32(std::string& s, unsigned v) {
  U16(s, v & 0xFFFF);
  U16(s, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: camera_photo PHOTO.jpg THUMB.jpg OUT.jpg\n");
    return 2;
  }
  const std::string photo = Read(argv[1]), thumb = Read(argv[2]);
  if (photo.size() < 4 || thumb.size() < 4 || thumb.size() > 60000) {
    std::fprintf(stderr, "camera_photo: unusable input\n");
    return 1;
  }
  // Little-endian TIFF: an empty IFD0, then IFD1 pointing at the thumbnail.
  std::string tiff = "II";
  U16(tiff, 42), U32(tiff, 8);
  const unsigned ifd1 = 8 + 2 + 4, data = ifd1 + 2 + 2 * 12 + 4;
  U16(tiff, 0), U32(tiff, ifd1);
  U16(tiff, 2);
  U16(tiff, 0x0201), U16(tiff, 4), U32(tiff, 1), U32(tiff, data);
  U16(tiff, 0x0202), U16(tiff, 4), U32(tiff, 1), U32(tiff, unsigned(thumb.size()));
  U32(tiff, 0);
  tiff += thumb;
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = payload.size() + 2;
  const std::string segment =
      std::string{'\xFF', '\xE1', char(length >> 8), char(length & 0xFF)} + payload;
  std::ofstream(argv[3], std::ios::binary) << photo.substr(0, 2) << segment << photo.substr(2);
  return 0;
}
