#pragma once
// Text drawn without a window system: fontconfig picks the fonts, FreeType draws
// the glyphs as anti-aliased coverage. Lays text out as the editor's Qt text
// does: the box starts at the top of the first line and the left of the pen,
// lines follow each other by the face's line spacing, underline and strike-out
// come from the face's metrics. Bold and italic are made up when a face lacks them.
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/Platform.h"

namespace quillory {

class FontChoice;
class FontConfiguration;
struct FontFile;

class FreeTypeText {
public:
    FreeTypeText();
    ~FreeTypeText();
    FreeTypeText(const FreeTypeText&) = delete;
    FreeTypeText& operator=(const FreeTypeText&) = delete;

    std::vector<std::string> Families() const;
    // Empty when no font can be found, the text has nothing to draw or the box
    // would be larger than a picture may be.
    TextRaster Rasterise(const std::string& utf8Text, const TextStyle& style);

private:
    struct Face;
    struct Placed;
    struct Line;
    struct Layout;
    Face* FaceFor(const FontFile& file, int pixelHeight);
    const FontChoice& ChoiceFor(const TextStyle& style);
    Layout LayOut(const std::vector<std::u32string>& lines, const TextStyle& style, int pixelHeight);

    std::unique_ptr<FontConfiguration> m_fonts;
    void* m_library = nullptr;  // FT_Library
    std::map<std::pair<std::string, int>, std::unique_ptr<Face>> m_faces;
    std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<FontChoice>> m_choices;
};

}  // namespace quillory
