// The PDF 1.4 container of the slideshow, written strictly front to back in
// four stages: header, fixed objects 1 to 19 (page, start script, slideshow,
// resource names, the compressed SVG and three stream lengths), one image
// object per picture, and the cross-reference table with the trailer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/dyna_array.h"
#include "platform/safe_file_writer.h"

namespace lumaret {

// Where the page of the PDF sends readers for the viewer it needs.
inline constexpr std::string_view kViewerDownloadAddress = "https://get.adobe.com/reader/";

// Picture names have four digits: no show can have more pictures.
inline constexpr std::uint32_t kMaxPictures = 9999;

class PdfWriter {
 public:
  explicit PdfWriter(SafeFileWriter& out) : out_(out) {}

  void WriteHeader();
  // Objects 1 to 19. False when the SVG text could not be compressed.
  bool WriteFixedObjects(bool fullScreen, std::uint32_t pictureCount, std::string_view svgText);
  // Object 19 + position: the picture's JPEG file, unchanged.
  void WriteImageObject(std::uint32_t position, int width, int height, std::string_view jpeg);
  void WriteTrailer();

  // Offsets of the objects written so far, entry k - 1 for object k.
  const TDynaArray<std::int64_t>& ObjectOffsets() const { return objectOffsets_; }

 private:
  void WriteLineCR(std::string_view text);
  void WriteLineLF(std::string_view text);
  void WriteLineCRLF(std::string_view text);
  void BeginObject(std::uint32_t number);
  std::int64_t Position() const { return std::int64_t(out_.position()); }

  SafeFileWriter& out_;
  TDynaArray<std::int64_t> objectOffsets_;
};

// The text padded with leading "0" to at least width characters.
std::string ZeroPad(std::string text, std::size_t width);

}  // namespace lumaret
