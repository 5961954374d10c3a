#pragma once
// Fonts found through fontconfig: the installed families, and for a face and
// style the files to draw with, the best match first and then the fonts that
// cover what it lacks (Hangul asked of a Latin face, for instance).
#include <fontconfig/fontconfig.h>

#include <string>
#include <vector>

namespace quillory {

// A fontconfig configuration of its own, released with the object, so nothing
// fontconfig loads outlives the text drawn with it (and a program that also has Qt
// keeps Qt's configuration untouched).
class FontConfiguration {
public:
    FontConfiguration() : m_config(FcInitLoadConfigAndFonts()) {}
    ~FontConfiguration() {
        if (m_config) FcConfigDestroy(m_config);
    }
    FontConfiguration(const FontConfiguration&) = delete;
    FontConfiguration& operator=(const FontConfiguration&) = delete;
    FcConfig* Config() const { return m_config; }

private:
    FcConfig* m_config;
};

struct FontFile {
    std::string path;
    int index = 0;
    bool embolden = false;  // bold asked of a face that has no bold weight
    bool oblique = false;   // italic asked of a face that has no italic
};

class FontChoice {
public:
    FontChoice(const FontConfiguration& fonts, const std::string& family, bool bold, bool italic);
    ~FontChoice();
    FontChoice(const FontChoice&) = delete;
    FontChoice& operator=(const FontChoice&) = delete;

    bool Empty() const { return m_candidates.empty(); }
    // The best match for the face and style; only valid when not Empty().
    const FontFile& Primary() const { return m_candidates.front().file; }
    // Where a character is drawn from: the first match that has it, else the best
    // match (which then draws its missing-glyph box). Empty() → null.
    const FontFile* For(char32_t character) const;

private:
    struct Candidate {
        FontFile file;
        FcCharSet* charset = nullptr;  // owned by m_set
    };
    FcFontSet* m_set = nullptr;
    std::vector<Candidate> m_candidates;
};

// The family names fontconfig knows, sorted, each once (a font's first, usually
// English, name).
std::vector<std::string> InstalledFontFamilies(const FontConfiguration& fonts);

}  // namespace quillory
