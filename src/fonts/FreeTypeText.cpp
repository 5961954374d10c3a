#include "fonts/FreeTypeText.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstring>

#include "core/SizeMath.h"
#include "fonts/FontChoice.h"

namespace quillory {

struct FreeTypeText::Face {
    FT_Face face = nullptr;
    int pixelHeight = 0;
    ~Face() {
        if (face) FT_Done_Face(face);
    }
};

// One glyph at its place: `x` is the pen position, `baseline` the row of the baseline.
struct FreeTypeText::Placed {
    Face* face = nullptr;
    FT_UInt glyph = 0;
    bool embolden = false;
    bool oblique = false;
    int x = 0;
    int baseline = 0;
};

struct FreeTypeText::Line {
    int baseline = 0;
    int width = 0;  // up to the end of the last glyph that is not a space
};

struct FreeTypeText::Layout {
    std::vector<Placed> glyphs;
    std::vector<Line> lines;
    Face* primary = nullptr;
    int width = 0, height = 0;  // the box of the lines, as Qt's text layout gives it
    int ascent = 0;
    int inkRight = 0, inkBelow = 0;  // how far the drawn glyphs reach
};

namespace {

constexpr int kMaxPixelHeight = 4000;

// Lines of code points; malformed bytes become U+FFFD. Carriage returns and tabs
// show as spaces, other control characters as nothing.
std::vector<std::u32string> DecodeLines(const std::string& utf8) {
    std::vector<std::u32string> lines(1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t size = utf8.size();
    for (size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        char32_t code = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xF4) {
            length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            char32_t value = lead & (0x7F >> length);
            bool valid = i + length <= size;
            for (size_t k = 1; valid && k < length; ++k) {
                valid = (bytes[i + k] & 0xC0) == 0x80;
                value = (value << 6) | (bytes[i + k] & 0x3F);
            }
            const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
            if (valid && value >= smallest && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
                code = value;
            else
                length = 1;
        }
        i += length;
        if (code == '\n') {
            lines.emplace_back();
        } else if (code == '\r' || code == '\t') {
            lines.back() += U' ';
        } else if (code >= 0x20 && code != 0x7F) {
            lines.back() += code;
        }
    }
    return lines;
}

// Loads a glyph at the face's current size with the styling made up for it; the
// pen's advance (26.6) comes back, as the face designs it rather than hinted, plus
// what emboldening adds. Negative when the glyph cannot be loaded.
FT_Pos LoadStyled(FT_Face face, FT_UInt glyph, bool embolden, bool oblique) {
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT)) return -1;
    FT_GlyphSlot slot = face->glyph;
    FT_Pos advance = slot->linearHoriAdvance >> 10;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (oblique) FT_GlyphSlot_Oblique(slot);
        if (embolden) {
            const FT_Pos before = slot->advance.x;
            FT_GlyphSlot_Embolden(slot);
            advance += slot->advance.x - before;
        }
    }
    return advance;
}

// A face's vertical metrics at its current size (26.6), unrounded as Qt takes them
// from the face's tables; bitmap faces have only their rounded size metrics.
struct LineMetrics {
    FT_Pos ascent = 0, descent = 0, leading = 0;
};

LineMetrics MetricsOf(FT_Face face) {
    const FT_Size_Metrics& size = face->size->metrics;
    LineMetrics m;
    if (FT_IS_SCALABLE(face)) {
        m.ascent = FT_MulFix(face->ascender, size.y_scale);
        m.descent = -FT_MulFix(face->descender, size.y_scale);
        m.leading = FT_MulFix(face->height, size.y_scale) - m.ascent - m.descent;
    } else {
        m.ascent = size.ascender;
        m.descent = -size.descender;
        m.leading = size.height - size.ascender + size.descender;
    }
    m.leading = std::max<FT_Pos>(0, m.leading);
    return m;
}

int Round26(FT_Pos value) { return int((value + 32) >> 6); }
int Ceil26(FT_Pos value) { return int((value + 63) >> 6); }

// The pixel box a rendered glyph will cover, relative to its pen position and baseline (rows down).
void InkBox(FT_GlyphSlot slot, int& right, int& bottom) {
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        right = Ceil26(box.xMax);
        bottom = -int(box.yMin >> 6);
    } else {
        right = slot->bitmap_left + int(slot->bitmap.width);
        bottom = int(slot->bitmap.rows) - slot->bitmap_top;
    }
}

void Blit(TextRaster& raster, const FT_Bitmap& bitmap, int left, int top) {
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    for (int row = 0; row < int(bitmap.rows); ++row) {
        const int y = top + row;
        if (y < 0 || y >= raster.height) continue;
        const unsigned char* src = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
        uint8_t* dst = raster.coverage.data() + size_t(y) * size_t(raster.width);
        const int from = std::max(0, -left), to = std::min(int(bitmap.width), raster.width - left);
        for (int column = from; column < to; ++column) {
            const uint8_t value = mono ? ((src[column >> 3] >> (7 - (column & 7))) & 1) * 255 : src[column];
            dst[left + column] = std::max(dst[left + column], value);
        }
    }
}

void FillRows(TextRaster& raster, int top, int rows, int width) {
    const int to = std::min(width, raster.width);
    for (int y = std::max(0, top); y < std::min(raster.height, top + rows); ++y)
        std::memset(raster.coverage.data() + size_t(y) * size_t(raster.width), 255, size_t(std::max(0, to)));
}

}  // namespace

FreeTypeText::FreeTypeText() : m_fonts(std::make_unique<FontConfiguration>()) {
    FT_Library library = nullptr;
    if (!FT_Init_FreeType(&library)) m_library = library;
}

FreeTypeText::~FreeTypeText() {
    m_faces.clear();
    m_choices.clear();
    if (m_library) FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

std::vector<std::string> FreeTypeText::Families() const { return InstalledFontFamilies(*m_fonts); }

const FontChoice& FreeTypeText::ChoiceFor(const TextStyle& style) {
    auto& choice = m_choices[{style.face, style.bold, style.italic}];
    if (!choice) choice = std::make_unique<FontChoice>(*m_fonts, style.face, style.bold, style.italic);
    return *choice;
}

FreeTypeText::Face* FreeTypeText::FaceFor(const FontFile& file, int pixelHeight) {
    if (!m_library) return nullptr;
    auto& face = m_faces[{file.path, file.index}];
    if (!face) {
        face = std::make_unique<Face>();
        if (FT_New_Face(static_cast<FT_Library>(m_library), file.path.c_str(), file.index, &face->face))
            face->face = nullptr;
    }
    if (!face->face) return nullptr;
    if (face->pixelHeight != pixelHeight) {
        if (FT_Set_Pixel_Sizes(face->face, 0, FT_UInt(pixelHeight))) return nullptr;
        face->pixelHeight = pixelHeight;
    }
    return face.get();
}

FreeTypeText::Layout FreeTypeText::LayOut(const std::vector<std::u32string>& lines, const TextStyle& style,
                                          int pixelHeight) {
    Layout layout;
    const FontChoice& choice = ChoiceFor(style);
    if (choice.Empty()) return layout;
    layout.primary = FaceFor(choice.Primary(), pixelHeight);
    if (!layout.primary) return layout;
    // Lines are as tall as the tallest face drawing any of them; the gap between them is the main face's.
    const LineMetrics main = MetricsOf(layout.primary->face);
    FT_Pos ascent = main.ascent, descent = main.descent;
    const FT_Pos leading = main.leading;
    struct Pending {
        Placed placed;
        FT_Pos pen;
        size_t line;
    };
    std::vector<Pending> pending;
    std::vector<FT_Pos> lineWidths(lines.size(), 0);
    for (size_t line = 0; line < lines.size(); ++line) {
        FT_Pos pen = 0;
        Face* previousFace = nullptr;
        FT_UInt previousGlyph = 0;
        for (const char32_t character : lines[line]) {
            const FontFile* file = choice.For(character);
            Face* face = file ? FaceFor(*file, pixelHeight) : nullptr;
            if (!face) continue;
            Placed placed{face, FT_Get_Char_Index(face->face, FT_ULong(character)), file->embolden, file->oblique, 0, 0};
            if (face == previousFace && FT_HAS_KERNING(face->face)) {
                FT_Vector kerning{0, 0};
                if (!FT_Get_Kerning(face->face, previousGlyph, placed.glyph, FT_KERNING_UNFITTED, &kerning))
                    pen += kerning.x;
            }
            const FT_Pos advance = LoadStyled(face->face, placed.glyph, placed.embolden, placed.oblique);
            if (advance < 0) continue;
            if (face != layout.primary) {
                const LineMetrics used = MetricsOf(face->face);
                ascent = std::max(ascent, used.ascent);
                descent = std::max(descent, used.descent);
            }
            int inkRight = 0, inkBottom = 0;
            InkBox(face->face->glyph, inkRight, inkBottom);
            pending.push_back({placed, pen, line});
            layout.inkRight = std::max(layout.inkRight, Round26(pen) + inkRight);
            layout.inkBelow = std::max(layout.inkBelow, inkBottom);
            pen += advance;
            if (character != U' ' && character != 0x3000) lineWidths[line] = pen;
            previousFace = face;
            previousGlyph = placed.glyph;
        }
    }
    const FT_Pos lineHeight = ascent + descent;
    const FT_Pos lineCount = FT_Pos(lines.size());
    for (size_t line = 0; line < lines.size(); ++line) {
        const FT_Pos top = FT_Pos(line) * (lineHeight + leading);
        layout.lines.push_back({Round26(top + ascent), Ceil26(lineWidths[line])});
        layout.width = std::max(layout.width, Ceil26(lineWidths[line]));
    }
    layout.height = Ceil26(lineCount * lineHeight + (lineCount - 1) * leading);
    layout.ascent = Round26(ascent);
    for (Pending& p : pending) {
        p.placed.x = Round26(p.pen);
        p.placed.baseline = layout.lines[p.line].baseline;
        layout.glyphs.push_back(p.placed);
    }
    return layout;
}

TextRaster FreeTypeText::Rasterise(const std::string& utf8Text, const TextStyle& style) {
    TextRaster raster;
    const int pixelHeight = std::clamp(style.pixelHeight, 1, kMaxPixelHeight);
    const Layout layout = LayOut(DecodeLines(utf8Text), style, pixelHeight);
    if (layout.width <= 0 || layout.height <= 0) return raster;

    // Underline and strike-out as the main face gives them: a stem of its underline thickness,
    // the underline centred where the face puts it, the strike-out a third of the ascent up.
    const FT_Face main = layout.primary->face;
    const FT_Fixed scale = main->size->metrics.y_scale;
    const int thickness = std::max(1, Round26(FT_MulFix(main->underline_thickness, scale)));
    const int underlineCentre = std::max(1, Round26(-FT_MulFix(main->underline_position, scale)));
    const int underlineTop = underlineCentre - thickness / 2;
    const int strikeTop = -layout.ascent / 3 - thickness / 2;

    // Ink that reaches past the layout box on the right or below widens the box rather than being cut.
    int width = std::max(layout.width, layout.inkRight), height = layout.height;
    if (!layout.lines.empty()) {
        int below = layout.inkBelow;
        if (style.underline) below = std::max(below, underlineTop + thickness);
        height = std::max(height, layout.lines.back().baseline + below);
    }
    if (!FitsPixelCap(width, height, 8)) return raster;
    raster.width = width;
    raster.height = height;
    raster.coverage.assign(size_t(width) * size_t(height), 0);

    for (const Placed& placed : layout.glyphs) {
        FT_Face face = placed.face->face;
        if (placed.face->pixelHeight != pixelHeight) {
            if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight))) continue;
            placed.face->pixelHeight = pixelHeight;
        }
        if (LoadStyled(face, placed.glyph, placed.embolden, placed.oblique) < 0) continue;
        if (face->glyph->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            continue;
        Blit(raster, face->glyph->bitmap, placed.x + face->glyph->bitmap_left, placed.baseline - face->glyph->bitmap_top);
    }
    for (const Line& line : layout.lines) {
        if (line.width <= 0) continue;
        if (style.underline) FillRows(raster, line.baseline + underlineTop, thickness, line.width);
        if (style.strikeOut) FillRows(raster, line.baseline + strikeTop, thickness, line.width);
    }
    return raster;
}

}  // namespace quillory
