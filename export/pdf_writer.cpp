#include "export/pdf_writer.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "export/svg_text.h"

namespace lumaret {

namespace {

std::string Decimal(std::int64_t n) {
  return std::to_string(n);
}

}  // namespace

std::string ZeroPad(std::string text, std::size_t width) {
  if (text.size() < width)
    text.insert(0, width - text.size(), '0');
  return text;
}

std::string FixedText(std::int64_t units, int decimals) {
  std::int64_t scale = 1;
  for (int k = 0; k < decimals; ++k)
    scale *= 10;
  const bool negative = units < 0;
  const std::uint64_t magnitude = negative ? 0 - std::uint64_t(units) : std::uint64_t(units);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / std::uint64_t(scale));
  if (const std::uint64_t fraction = magnitude % std::uint64_t(scale)) {
    std::string digits = std::to_string(std::uint64_t(scale) + fraction).substr(1);
    while (digits.back() == '0')
      digits.pop_back();
    text += "." + digits;
  }
  return text;
}

void PdfWriter::WriteLineCR(std::string_view text) {
  out_.write(text);
  out_.write("\r");
}

void PdfWriter::WriteLineLF(std::string_view text) {
  out_.write(text);
  out_.write("\n");
}

void PdfWriter::WriteLineCRLF(std::string_view text) {
  out_.write(text);
  out_.write("\r\n");
}

void PdfWriter::BeginObject(std::uint32_t number) {
  if (startXref_ < 0)
    objectOffsets_.Append() = Position();
  else
    updateOffsets_.emplace_back(number, Position());
  WriteLineCR(Decimal(number) + " 0 obj");
}

void PdfWriter::WriteStream(std::string_view dictionaryEntries, std::string_view bytes) {
  WriteLineCR("<< /Length " + Decimal(std::int64_t(bytes.size())) +
              (dictionaryEntries.empty() ? "" : " ") + std::string(dictionaryEntries) + " >>");
  WriteLineLF("stream");
  out_.write(bytes);
  WriteLineLF("");
  WriteLineCR("endstream");
  WriteLineCR("endobj");
}

void PdfWriter::WriteHeader() {
  WriteLineCR("%PDF-1.4");
  WriteLineCR("%\xE2\xE3\xCF\xD3");
}

bool PdfWriter::WriteFixedObjects(bool fullScreen, std::uint32_t pictureCount,
                                  std::string_view svgText) {
  BeginObject(1);
  for (const char* line : {"<<", "   /Type /Catalog", "   /Outlines 2 0 R", "   /Pages 3 0 R",
                           "   /Names 8 0 R", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(2);
  for (const char* line : {"<< /Type /Outlines", "   /Count 0", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(3);
  for (const char* line : {"<< /Type /Pages", "   /Kids [4 0 R]", "   /Count 1", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(4);
  for (const char* line :
       {"<< /Type /Page", "   /Parent 3 0 R", "   /MediaBox [0 0 612 792]", "   /Contents 5 0 R",
        "   /Resources << /ProcSet 6 0 R", "                 /Font << /F1 7 0 R >>",
        "              >>", ">>", "endobj"})
    WriteLineCR(line);

  BeginObject(5);
  WriteLineCR("<< /Length 17 0 R >>");
  WriteLineLF("stream");
  const std::int64_t contentStart = Position();
  for (const char* line :
       {"    BT", "        /F1 12 Tf", "        36 720 Td",
        "        (This SlideShow needs Adobe Acrobat Reader 6.x or above.) Tj", "        0 -20 Td",
        "        (Download the free Adobe SVG Viewer 3.0 and/or Adobe Reader 6.0 under) Tj",
        "        0 -20 Td"})
    WriteLineCR(line);
  WriteLineCR("        (" + std::string(kViewerDownloadAddress) + " to view the slideshow!) Tj");
  WriteLineLF("    ET");
  const std::int64_t contentLength = Position() - contentStart;
  WriteLineCR("endstream");
  WriteLineCR("endobj");

  BeginObject(6);
  WriteLineCR("    [/PDF /Text]");
  WriteLineCR("endobj");
  BeginObject(7);
  for (const char* line :
       {"<<  /Type /Font", "    /Subtype /Type1", "    /Name /F1", "    /BaseFont /Helvetica",
        "    /Encoding /MacRomanEncoding", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(8);
  for (const char* line :
       {"<<", "    /AlternatePresentations 11 0 R", "    /JavaScript 9 0 R", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(9);
  for (const char* line :
       {"<<", "    /Names [ (OnLoadJavaScript)<< /S /JavaScript /JS 10 0 R >> ]", ">>", "endobj"})
    WriteLineCR(line);

  BeginObject(10);
  WriteLineCR("<<  /Length 18 0 R >>");
  WriteLineLF("stream");
  const std::int64_t scriptStart = Position();
  WriteLineCR("if (alternatePresentations['MySVGFile.svg'] != null ) {");
  WriteLineCR(fullScreen ? "    app.fs.isFullScreen = true;" : "    app.fs.isFullScreen = false;");
  WriteLineCR("    alternatePresentations['MySVGFile.svg'].start(null);");
  WriteLineLF("}");
  const std::int64_t scriptLength = Position() - scriptStart;
  WriteLineCR("endstream");
  WriteLineCR("endobj");

  BeginObject(11);
  for (const char* line : {"<<", "    /Names [ (MySVGFile.svg)12 0 R ]", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(12);
  for (const char* line :
       {"<<", "    /Type /SlideShow", "    /Subtype /Embedded", "    /Resources 13 0 R",
        "    /StartResource (MySVGFile.svg)", ">>", "endobj"})
    WriteLineCR(line);

  BeginObject(13);
  WriteLineCR("<<");
  std::string names = "    /Names [ (MySVGFile.svg) 14 0 R ";
  for (std::uint32_t i = 1; i <= pictureCount; ++i) {
    names.append("(").append(PictureResourceName(i)).append(") ");
    names.append(Decimal(19 + std::int64_t(i))).append(" 0 R ");
  }
  WriteLineCR(names + "]");
  WriteLineCR(">>");
  WriteLineCR("endobj");

  BeginObject(14);
  for (const char* line :
       {"<<", "    /Type /FileSpec", "    /F (MySVGFile.svg)", "    /EF 15 0 R", ">>", "endobj"})
    WriteLineCR(line);
  BeginObject(15);
  for (const char* line : {"<<", "    /F 16 0 R", ">>", "endobj"})
    WriteLineCR(line);

  // zlib format, level 9, 32 KiB window, memory level 8, default strategy.
  uLongf packedSize = compressBound(uLong(svgText.size()));
  std::vector<Bytef> packed(packedSize);
  if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(svgText.data()),
                uLong(svgText.size()), 9) != Z_OK)
    return false;
  BeginObject(16);
  for (const char* line : {"<<", "    /Length 19 0 R", "    /Type /EmbeddedFile",
                           "    /Subtype /image#2Fsvg+xml", "    /Filter /FlateDecode", ">>"})
    WriteLineCR(line);
  WriteLineLF("stream");
  const std::int64_t svgStart = Position();
  out_.write(packed.data(), packedSize);
  out_.write("\n");
  const std::int64_t svgLength = Position() - svgStart;
  WriteLineCR("endstream");
  WriteLineCR("endobj");

  const std::int64_t lengths[] = {contentLength, scriptLength, svgLength};
  for (std::uint32_t k = 0; k < 3; ++k) {
    BeginObject(17 + k);
    WriteLineCR(Decimal(lengths[k]));
    WriteLineCR("endobj");
  }
  return true;
}

void PdfWriter::WriteImageObject(std::uint32_t position, int width, int height,
                                 std::string_view jpeg) {
  BeginObject(19 + position);
  WriteLineCR("<< /Type /XObject /Subtype /Image /Width " + Decimal(width) + " /Height " +
              Decimal(height) + " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Length " +
              Decimal(std::int64_t(jpeg.size())) + " /Filter /DCTDecode >>");
  WriteLineLF("stream");
  out_.write(jpeg);
  WriteLineCR("endstream");
  WriteLineCR("endobj");
}

void PdfWriter::WriteTrailer() {
  const std::int64_t xref = startXref_ = Position();
  const std::int64_t size = std::int64_t(objectOffsets_.Count()) + 1;
  WriteLineCR("xref");
  WriteLineCRLF("0 " + Decimal(size));
  WriteLineCRLF("0000000000 65535 f");
  for (std::int64_t offset : objectOffsets_)
    WriteLineCRLF(ZeroPad(Decimal(offset), 10) + " 00000 n");
  WriteLineCR("trailer");
  WriteLineCR("<< /Size " + Decimal(size));
  WriteLineCR("   /Root 1 0 R");
  WriteLineCR(">>");
  WriteLineCR("startxref");
  WriteLineCR(Decimal(xref));
  WriteLineCR("%%EOF");
}

void PdfWriter::WriteUpdateTrailer() {
  const std::int64_t xref = Position();
  std::vector<std::pair<std::uint32_t, std::int64_t>> entries = updateOffsets_;
  std::sort(entries.begin(), entries.end());
  std::uint32_t size = FirstNewObject();
  WriteLineCR("xref");
  // One subsection per run of consecutive object numbers.
  for (std::size_t first = 0; first < entries.size();) {
    std::size_t end = first + 1;
    while (end < entries.size() && entries[end].first == entries[end - 1].first + 1)
      ++end;
    WriteLineCRLF(Decimal(entries[first].first) + " " + Decimal(std::int64_t(end - first)));
    for (std::size_t k = first; k < end; ++k)
      WriteLineCRLF(ZeroPad(Decimal(entries[k].second), 10) + " 00000 n");
    size = std::max(size, entries[end - 1].first + 1);
    first = end;
  }
  WriteLineCR("trailer");
  WriteLineCR("<< /Size " + Decimal(size));
  WriteLineCR("   /Root 1 0 R");
  WriteLineCR("   /Prev " + Decimal(startXref_));
  WriteLineCR(">>");
  WriteLineCR("startxref");
  WriteLineCR(Decimal(xref));
  WriteLineCR("%%EOF");
}

}  // namespace lumaret
