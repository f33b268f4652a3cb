// The PDF 1.4 container of the slideshow, written strictly front to back in
// four stages: header, fixed objects 1 to 19 (page, start script, slideshow,
// resource names, the compressed SVG and three stream lengths), one image
// object per picture, and the cross-reference table with the trailer. After
// that file may come one incremental update, whose objects redefine or add to
// the file's without touching a byte of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

  // The update: objects begun after WriteTrailer, then their cross-reference
  // section and a trailer that points back to the file's own.
  std::uint32_t FirstNewObject() const { return std::uint32_t(objectOffsets_.Count()) + 1; }
  void WriteUpdateTrailer();

  void BeginObject(std::uint32_t number);
  void WriteLineCR(std::string_view text);
  void WriteLineLF(std::string_view text);
  void WriteLineCRLF(std::string_view text);
  void Write(std::string_view bytes) { out_.write(bytes); }
  // "<< /Length n ... >>", the bytes and "endstream", all of the object but its first line.
  void WriteStream(std::string_view dictionaryEntries, std::string_view bytes);
  std::int64_t Position() const { return std::int64_t(out_.position()); }

 private:
  SafeFileWriter& out_;
  TDynaArray<std::int64_t> objectOffsets_;
  std::int64_t startXref_ = -1;  // the file's own cross-reference table, once written
  std::vector<std::pair<std::uint32_t, std::int64_t>> updateOffsets_;
};

// The text padded with leading "0" to at least width characters.
std::string ZeroPad(std::string text, std::size_t width);

// The exact decimal of units / 10^decimals, without trailing zeros:
// (612793, 3) gives "612.793", (-1500, 3) "-1.5", (40, 0) "40".
std::string FixedText(std::int64_t units, int decimals);

}  // namespace lumaret
