#include "fonts/FontChoice.h"

#include <algorithm>

namespace quillory {

namespace {

// A pattern asking for the family and style, completed with the user's defaults.
FcPattern* RequestPattern(FcConfig* config, const std::string& family, bool bold, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// The file and synthetic styling of one sorted match. fontconfig's own rules ask
// for emboldening and a slanting matrix where the face lacks the style; the
// weight and slant are checked too, for configurations without those rules.
bool ReadCandidate(FcConfig* config, FcPattern* request, FcPattern* font, bool bold, bool italic, FontFile& file) {
    FcPattern* prepared = FcFontRenderPrepare(config, request, font);
    if (!prepared) return false;
    FcChar8* path = nullptr;
    bool ok = FcPatternGetString(prepared, FC_FILE, 0, &path) == FcResultMatch && path;
    if (ok) {
        file.path = reinterpret_cast<const char*>(path);
        FcPatternGetInteger(prepared, FC_INDEX, 0, &file.index);
        FcBool embolden = FcFalse;
        FcPatternGetBool(prepared, FC_EMBOLDEN, 0, &embolden);
        FcMatrix* matrix = nullptr;
        const bool slanted = FcPatternGetMatrix(prepared, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix &&
                             matrix->xy != 0.0;
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        file.embolden = bold && (embolden || weight < FC_WEIGHT_DEMIBOLD);
        file.oblique = italic && (slanted || slant == FC_SLANT_ROMAN);
    }
    FcPatternDestroy(prepared);
    return ok;
}

}  // namespace

FontChoice::FontChoice(const FontConfiguration& fonts, const std::string& family, bool bold, bool italic) {
    FcConfig* config = fonts.Config();
    if (!config) return;
    FcPattern* request = RequestPattern(config, family, bold, italic);
    if (!request) return;
    FcResult result = FcResultNoMatch;
    // Trimmed: a font joins the list only when it covers characters the ones before it lack.
    m_set = FcFontSort(config, request, FcTrue, nullptr, &result);
    if (m_set) {
        for (int i = 0; i < m_set->nfont; ++i) {
            Candidate candidate;
            if (!ReadCandidate(config, request, m_set->fonts[i], bold, italic, candidate.file)) continue;
            FcPatternGetCharSet(m_set->fonts[i], FC_CHARSET, 0, &candidate.charset);
            m_candidates.push_back(std::move(candidate));
        }
    }
    FcPatternDestroy(request);
}

FontChoice::~FontChoice() {
    if (m_set) FcFontSetDestroy(m_set);
}

const FontFile* FontChoice::For(char32_t character) const {
    if (m_candidates.empty()) return nullptr;
    for (const Candidate& candidate : m_candidates)
        if (candidate.charset && FcCharSetHasChar(candidate.charset, FcChar32(character))) return &candidate.file;
    return &m_candidates.front().file;
}

std::vector<std::string> InstalledFontFamilies(const FontConfiguration& fonts) {
    std::vector<std::string> names;
    if (!fonts.Config()) return names;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = pattern && objects ? FcFontList(fonts.Config(), pattern, objects) : nullptr;
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
            names.emplace_back(reinterpret_cast<const char*>(family));
    }
    if (set) FcFontSetDestroy(set);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace quillory
