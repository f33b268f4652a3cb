#include "export/caption_fonts.h"

#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <set>

namespace lumaret {

namespace {

// What the slideshow asks for; fontconfig knows what the desktop puts in its place.
constexpr const char* kCaptionFamily = "Verdana";

// Tables a PDF viewer does not read from an embedded font: shaping is done,
// and bitmaps and hinting would only make the file larger.
constexpr hb_tag_t kDroppedTables[] = {
    HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
    HB_TAG('k', 'e', 'r', 'n'), HB_TAG('E', 'B', 'D', 'T'), HB_TAG('E', 'B', 'L', 'C'),
    HB_TAG('E', 'B', 'S', 'C'), HB_TAG('g', 'a', 's', 'p'), HB_TAG('h', 'd', 'm', 'x'),
    HB_TAG('V', 'D', 'M', 'X'), HB_TAG('L', 'T', 'S', 'H'), HB_TAG('D', 'S', 'I', 'G')};

struct GlyphUse {
  std::uint32_t glyph;  // in the installed font
  std::int32_t advance, xOffset, yOffset;
};

struct RawRun {
  std::size_t font;  // index into Fonts::installed
  std::vector<GlyphUse> glyphs;
};

struct InstalledFont {
  std::string file;
  unsigned index = 0;
  const FcCharSet* charset = nullptr;  // owned by the font set
  hb_face_t* face = nullptr;
  hb_font_t* font = nullptr;
  bool broken = false;
  std::map<std::uint32_t, std::u32string> used;  // glyph -> the characters it shows
};

// Spaces, marks and joiners stay in the font of the characters around them,
// as a browser keeps them, so that a run is not split needlessly.
bool StaysInRun(char32_t c) {
  switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), c)) {
    case HB_UNICODE_GENERAL_CATEGORY_SPACE_SEPARATOR:
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
      return true;
    default:
      return false;
  }
}

std::string PdfNameOf(std::string_view text) {
  std::string name;
  for (char c : text)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.')
      name += c;
  return name.empty() ? "Font" : name.substr(0, 100);
}

std::int32_t BigEndian16(const char* p) {
  return std::int16_t(std::uint16_t(std::uint8_t(p[0]) << 8 | std::uint8_t(p[1])));
}

}  // namespace

struct CaptionFonts::Fonts {
  ~Fonts() {
    for (InstalledFont& f : installed) {
      hb_font_destroy(f.font);
      hb_face_destroy(f.face);
    }
    if (set)
      FcFontSetDestroy(set);
  }

  // The fonts that fontconfig ranks for the caption family, best first,
  // those with TrueType outlines only: they embed as CIDFontType2.
  void LookUp() {
    looked = true;
    if (!FcInit())
      return;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kCaptionFamily));
    if (!pattern)
      return;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    if (!set)
      return;
    std::set<std::pair<std::string, unsigned>> seen;
    for (int i = 0; i < set->nfont; ++i) {
      const FcPattern* font = set->fonts[i];
      FcChar8* format = nullptr;
      FcChar8* file = nullptr;
      FcCharSet* charset = nullptr;
      FcBool outline = FcFalse;
      int index = 0;
      if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
          std::string_view(reinterpret_cast<const char*>(format)) != "TrueType" ||
          FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline ||
          FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch ||
          FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch)
        continue;
      FcPatternGetInteger(font, FC_INDEX, 0, &index);
      // Named instances of variable fonts carry their number in the high bits.
      const unsigned face = unsigned(index) & 0xFFFF;
      if (!seen.emplace(reinterpret_cast<const char*>(file), face).second)
        continue;
      InstalledFont entry;
      entry.file = reinterpret_cast<const char*>(file);
      entry.index = face;
      entry.charset = charset;
      installed.push_back(std::move(entry));
    }
  }

  bool Load(InstalledFont& f) {
    if (f.font || f.broken)
      return !f.broken;
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(f.file.c_str());
    if (blob) {
      f.face = hb_face_create(blob, f.index);
      hb_blob_destroy(blob);
    }
    if (!f.face || hb_face_get_glyph_count(f.face) == 0) {
      f.broken = true;
      return false;
    }
    f.font = hb_font_create(f.face);
    const int upem = int(hb_face_get_upem(f.face));
    hb_font_set_scale(f.font, upem, upem);
    return true;
  }

  bool Has(std::size_t k, char32_t c) {
    return FcCharSetHasChar(installed[k].charset, c) && Load(installed[k]);
  }

  std::size_t Choose(char32_t c, std::size_t current) {
    if (current != kNone && StaysInRun(c) && Has(current, c))
      return current;
    for (std::size_t k = 0; k < installed.size(); ++k)
      if (Has(k, c))
        return k;
    if (current != kNone)
      return current;
    for (std::size_t k = 0; k < installed.size(); ++k)
      if (Load(installed[k]))
        return k;
    return kNone;
  }

  void Shape(std::u32string_view line, std::size_t start, std::size_t length, RawRun& run) {
    InstalledFont& f = installed[run.font];
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(line.data()),
                        int(line.size()), unsigned(start), int(length));
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(f.font, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);

    // A cluster's characters run up to the next cluster in logical order.
    std::set<std::uint32_t> clusters;
    for (unsigned i = 0; i < count; ++i)
      clusters.insert(info[i].cluster);
    std::set<std::uint32_t> named;
    for (unsigned i = 0; i < count; ++i) {
      run.glyphs.push_back({info[i].codepoint, pos[i].x_advance, pos[i].x_offset, pos[i].y_offset});
      // The missing-glyph box stands for many characters: it maps to none.
      std::u32string text;
      if (info[i].codepoint != 0 && named.insert(info[i].cluster).second) {
        const auto next = clusters.upper_bound(info[i].cluster);
        const std::size_t end = next == clusters.end() ? start + length : *next;
        text = line.substr(info[i].cluster, end - info[i].cluster);
      }
      std::u32string& known = f.used[info[i].codepoint];
      if (known.empty())
        known = std::move(text);
    }
    hb_buffer_destroy(buffer);
  }

  static constexpr std::size_t kNone = std::size_t(-1);
  bool looked = false;
  FcFontSet* set = nullptr;
  std::vector<InstalledFont> installed;
  std::vector<std::vector<RawRun>> lines;
};

CaptionFonts::CaptionFonts() : fonts_(std::make_unique<Fonts>()) {}
CaptionFonts::~CaptionFonts() = default;

void CaptionFonts::Add(std::u32string_view line) {
  Fonts& f = *fonts_;
  std::vector<RawRun>& runs = f.lines.emplace_back();
  if (line.empty())
    return;
  if (!f.looked)
    f.LookUp();
  std::size_t current = Fonts::kNone, start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    const std::size_t chosen = i < line.size() ? f.Choose(line[i], current) : Fonts::kNone;
    if (chosen == current && i < line.size())
      continue;
    if (current != Fonts::kNone && i > start) {
      runs.push_back({current, {}});
      f.Shape(line, start, i - start, runs.back());
    }
    current = chosen;
    start = i;
  }
}

std::vector<ShapedLine> CaptionFonts::Finish() {
  Fonts& f = *fonts_;
  // Fonts in the order of their first use, each subset once.
  std::vector<std::size_t> subsetOf(f.installed.size(), Fonts::kNone);
  std::vector<std::map<std::uint32_t, std::uint32_t>> newGlyphs(f.installed.size());
  for (const auto& line : f.lines)
    for (const RawRun& run : line) {
      if (subsetOf[run.font] != Fonts::kNone || f.installed[run.font].broken)
        continue;
      InstalledFont& font = f.installed[run.font];
      hb_subset_input_t* input = hb_subset_input_create_or_fail();
      if (!input) {
        font.broken = true;
        continue;
      }
      hb_set_t* glyphs = hb_subset_input_glyph_set(input);
      hb_set_add(glyphs, 0);
      for (const auto& [glyph, text] : font.used)
        hb_set_add(glyphs, glyph);
      hb_subset_input_set_flags(input,
                                HB_SUBSET_FLAGS_NO_HINTING | HB_SUBSET_FLAGS_NOTDEF_OUTLINE);
      hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
      for (hb_tag_t tag : kDroppedTables)
        hb_set_add(dropped, tag);
      hb_subset_plan_t* plan = hb_subset_plan_create_or_fail(font.face, input);
      hb_subset_input_destroy(input);
      hb_face_t* subsetFace = plan ? hb_subset_plan_execute_or_fail(plan) : nullptr;
      if (!subsetFace) {
        hb_subset_plan_destroy(plan);
        font.broken = true;
        continue;
      }

      FontSubset subset;
      hb_blob_t* bytes = hb_face_reference_blob(subsetFace);
      unsigned size = 0;
      const char* data = hb_blob_get_data(bytes, &size);
      subset.fontFile.assign(data, size);
      hb_blob_destroy(bytes);
      hb_face_destroy(subsetFace);

      const hb_map_t* toOld = hb_subset_plan_new_to_old_glyph_mapping(plan);
      const unsigned count = hb_map_get_population(toOld);
      subset.advances.resize(count);
      subset.text.resize(count);
      for (unsigned n = 0; n < count; ++n) {
        const hb_codepoint_t old = hb_map_get(toOld, n);
        subset.advances[n] = hb_font_get_glyph_h_advance(font.font, old);
        if (const auto it = font.used.find(old); it != font.used.end())
          subset.text[n] = it->second;
        newGlyphs[run.font][old] = n;
      }
      hb_subset_plan_destroy(plan);

      subset.unitsPerEm = hb_face_get_upem(font.face);
      char name[256];
      unsigned nameSize = sizeof name;
      if (hb_ot_name_get_utf8(font.face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID,
                              &nameSize, name) == 0)
        nameSize = 0;
      subset.postScriptName = PdfNameOf(std::string_view(name, nameSize));
      hb_blob_t* head = hb_face_reference_table(font.face, HB_TAG('h', 'e', 'a', 'd'));
      unsigned headSize = 0;
      const char* headData = hb_blob_get_data(head, &headSize);
      if (headSize >= 44)
        for (int k = 0; k < 4; ++k)
          subset.bbox[k] = BigEndian16(headData + 36 + 2 * k);
      hb_blob_destroy(head);
      hb_position_t value = 0;
      subset.ascent =
          hb_ot_metrics_get_position(font.font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &value)
              ? value
              : subset.bbox[3];
      subset.descent =
          hb_ot_metrics_get_position(font.font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &value)
              ? value
              : subset.bbox[1];
      subset.capHeight = hb_ot_metrics_get_position(font.font, HB_OT_METRICS_TAG_CAP_HEIGHT, &value)
                             ? value
                             : subset.ascent;
      subset.italicAngle = std::int32_t(hb_style_get_value(font.font, HB_STYLE_TAG_SLANT_ANGLE));
      subsetOf[run.font] = subsets_.size();
      subsets_.push_back(std::move(subset));
    }

  std::vector<ShapedLine> lines;
  lines.reserve(f.lines.size());
  for (const auto& raw : f.lines) {
    ShapedLine& line = lines.emplace_back();
    for (const RawRun& run : raw) {
      if (subsetOf[run.font] == Fonts::kNone)
        continue;
      ShapedRun& shaped = line.emplace_back();
      shaped.font = subsetOf[run.font];
      for (const GlyphUse& g : run.glyphs)
        shaped.glyphs.push_back({newGlyphs[run.font][g.glyph], g.advance, g.xOffset, g.yOffset});
    }
  }
  return lines;
}

}  // namespace lumaret
