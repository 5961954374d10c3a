#include "shell/EnvSettings.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "core/AtomicFile.h"

namespace quillory {

namespace {

// A scanf-like reader over a byte buffer: a blank in the format skips any
// whitespace, %d reads a signed decimal number (clamped to 32 bits), any other
// character must match. A line either matches as a whole or changes nothing.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    template <typename... Out>
    bool Line(const char* format, Out*... out) {
        int32_t* targets[] = {out...};
        int32_t values[sizeof...(Out) > 0 ? sizeof...(Out) : 1] = {};
        size_t pos = m_pos;
        size_t next = 0;
        for (const char* f = format; *f; ++f) {
            if (std::isspace(static_cast<unsigned char>(*f))) {
                SkipSpace(pos);
            } else if (f[0] == '%' && f[1] == 'd') {
                ++f;
                SkipSpace(pos);
                if (next >= sizeof...(Out) || !ReadInt(pos, values[next])) return false;
                ++next;
            } else {
                if (pos >= m_text.size() || m_text[pos] != *f) return false;
                ++pos;
            }
        }
        for (size_t i = 0; i < sizeof...(Out); ++i) *targets[i] = values[i];
        m_pos = pos;
        return true;
    }

    bool SkipLineBreak() {
        if (m_pos < m_text.size() && m_text[m_pos] == '\r') ++m_pos;
        if (m_pos >= m_text.size() || m_text[m_pos] != '\n') return false;
        ++m_pos;
        return true;
    }

    bool ReadUtf16(int count, std::u16string& out) {
        const size_t bytes = size_t(count) * 2;
        if (m_text.size() - m_pos < bytes) return false;
        out.clear();
        for (int i = 0; i < count; ++i) {
            const auto lo = static_cast<uint8_t>(m_text[m_pos + 2 * i]);
            const auto hi = static_cast<uint8_t>(m_text[m_pos + 2 * i + 1]);
            out.push_back(char16_t(lo | hi << 8));
        }
        m_pos += bytes;
        return true;
    }

private:
    void SkipSpace(size_t& pos) const {
        while (pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[pos]))) ++pos;
    }

    bool ReadInt(size_t& pos, int32_t& value) const {
        bool negative = false;
        if (pos < m_text.size() && (m_text[pos] == '-' || m_text[pos] == '+')) negative = m_text[pos++] == '-';
        const size_t start = pos;
        int64_t v = 0;
        while (pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[pos]))) {
            v = std::min<int64_t>(v * 10 + (m_text[pos] - '0'), int64_t(1) << 32);
            ++pos;
        }
        if (pos == start) return false;
        if (negative) v = -v;
        value = int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max()));
        return true;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

std::string Printf(const char* format, auto... values) {
    char buffer[256];
    int n = std::snprintf(buffer, sizeof buffer, format, values...);
    return std::string(buffer, size_t(std::clamp(n, 0, int(sizeof buffer) - 1)));
}

void AppendUtf16(std::string& out, const std::u16string& text, int count) {
    for (int i = 0; i < count; ++i) {
        out.push_back(char(text[size_t(i)] & 0xFF));
        out.push_back(char(text[size_t(i)] >> 8));
    }
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // Settings files are small; a huge file is read only as far as it matters.
    constexpr std::streamsize kLimit = 1 << 20;
    out.resize(size_t(kLimit));
    in.read(out.data(), kLimit);
    out.resize(size_t(in.gcount()));
    return true;
}

int ClampedLength(int32_t length) { return std::clamp<int32_t>(length, 0, kMaxFaceNameLength); }

// Cuts a UTF-8 text to at most the given number of characters.
std::string CutCharacters(const std::string& text, int characters) {
    size_t i = 0;
    for (int n = 0; i < text.size() && n < characters; ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

}  // namespace

SettingsReadReport ParseSettings(std::string_view bytes, EnvSettings& env) {
    SettingsReadReport report;
    report.fileFound = true;
    Scanner in(bytes);
    auto line = [&](bool matched) {
        if (matched) ++report.linesRead;
        return matched;
    };
    EnvSettings& e = env;
    bool all = line(in.Line("FG%d BG%d TX%d pFG%d pBG%d", &e.foreground, &e.background, &e.textColour,
                            &e.prevForeground, &e.prevBackground)) &&
               line(in.Line("\nFG: %d X%d Y%d", &e.foregroundSpot.index, &e.foregroundSpot.x,
                            &e.foregroundSpot.y)) &&
               line(in.Line("\nBG: %d X%d Y%d", &e.backgroundSpot.index, &e.backgroundSpot.x,
                            &e.backgroundSpot.y)) &&
               line(in.Line("\nTX: %d X%d Y%d", &e.textSpot.index, &e.textSpot.x, &e.textSpot.y)) &&
               line(in.Line("\nFontSize %d %d %d\n", &e.fontSize, &e.faceNameLength, &e.secondNameLength)) &&
               line(in.Line("\nFontStrikeOut %d", &e.fontStrikeOut)) &&
               line(in.Line("\nFontUnderLine %d", &e.fontUnderLine)) &&
               line(in.Line("\n%d %d", &e.brushSize, &e.brushSize2)) &&
               line(in.Line("\nGGap%d GClr%d Cur%d Pnt%d %d %d", &e.gridSpacing, &e.gridColour, &e.cursorKind,
                            &e.pointStyle, &e.pointExtra1, &e.pointExtra2)) &&
               line(in.Line("\nFog %d", &e.fog)) && line(in.Line("\nTranspRep %d", &e.transparencyDisplay)) &&
               line(in.Line("\nFolder: %d", &e.folder)) && line(in.Line("\nUD %d", &e.checkUpdates)) &&
               line(in.Line("\nRS %d", &e.rs)) && line(in.Line("\nWS %d %d %d", &e.ws1, &e.openDialogAtStart, &e.ws3));

    e.fontSize = std::max(e.fontSize, kMinFontSize);
    e.faceNameLength = ClampedLength(e.faceNameLength);
    e.secondNameLength = ClampedLength(e.secondNameLength);
    if (!all) return report;

    std::u16string face, second;
    if (in.SkipLineBreak() && in.ReadUtf16(e.faceNameLength, face)) {
        e.faceName = face;
        if (in.SkipLineBreak() && in.ReadUtf16(e.secondNameLength, second)) {
            e.secondName = second;
            report.namesRead = true;
        }
    }
    e.faceNameLength = int32_t(e.faceName.size());
    e.secondNameLength = int32_t(e.secondName.size());
    return report;
}

std::string FormatSettings(const EnvSettings& e) {
    const int faceLength = ClampedLength(int32_t(e.faceName.size()));
    const int secondLength = ClampedLength(int32_t(e.secondName.size()));
    std::string out;
    out += Printf("FG%d BG%d TX%d pFG%d pBG%d", e.foreground, e.background, e.textColour, e.prevForeground,
                  e.prevBackground);
    out += Printf("\nFG: %d X%d Y%d", e.foregroundSpot.index, e.foregroundSpot.x, e.foregroundSpot.y);
    out += Printf("\nBG: %d X%d Y%d", e.backgroundSpot.index, e.backgroundSpot.x, e.backgroundSpot.y);
    out += Printf("\nTX: %d X%d Y%d", e.textSpot.index, e.textSpot.x, e.textSpot.y);
    out += Printf("\nFontSize %d %d %d\n", e.fontSize, faceLength, secondLength);
    out += Printf("\nFontStrikeOut %d", e.fontStrikeOut);
    out += Printf("\nFontUnderLine %d", e.fontUnderLine);
    out += Printf("\n%d %d", e.brushSize, e.brushSize2);
    const int gap = int(std::min<int64_t>(std::llabs(int64_t(e.gridSpacing)), std::numeric_limits<int32_t>::max()));
    out += Printf("\nGGap%d GClr%d Cur%d Pnt%d %d %d", gap, e.gridColour, e.cursorKind,
                  e.pointStyle, e.pointExtra1, e.pointExtra2);
    out += Printf("\nFog %d", e.fog);
    out += Printf("\nTranspRep %d", e.transparencyDisplay);
    out += "\nFolder: 0";
    out += Printf("\nUD %d", e.checkUpdates);
    out += Printf("\nRS %d", e.rs);
    out += Printf("\nWS %d %d %d", e.ws1, e.openDialogAtStart, 0);
    out += "\n";
    AppendUtf16(out, e.faceName, faceLength);
    out += "\n";
    AppendUtf16(out, e.secondName, secondLength);
    return out;
}

bool ParseFirstShow(std::string_view bytes, EnvSettings& env) {
    Scanner in(bytes);
    return in.Line("%d update %d", &env.samplesFlag, &env.updateFlag);
}

std::string FormatFirstShow(const EnvSettings& env) { return Printf("0 update %d", env.updateFlag); }

std::string Cp949ToUtf8(std::string_view bytes) {
    std::string out;
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == iconv_t(-1)) {
        // Without the converter only ASCII survives.
        for (char c : bytes) out += (static_cast<unsigned char>(c) < 0x80) ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
    std::string input(bytes);
    char* inPtr = input.data();
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, size_t(outPtr - buffer));
        if (r == size_t(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or cut-off sequence: replace one byte and go on.
            out += "\xEF\xBF\xBD";
            ++inPtr;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseTextTable(std::string_view cp949Bytes) {
    std::vector<std::pair<std::string, std::string>> rows;
    size_t pos = 0;
    while (pos < cp949Bytes.size() && int(rows.size()) < kTextTableRows) {
        size_t end = cp949Bytes.find('\n', pos);
        if (end == std::string_view::npos) end = cp949Bytes.size();
        std::string line = Cp949ToUtf8(cp949Bytes.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t tilde = line.find('~');
        std::string first = line.substr(0, tilde);
        std::string second;
        if (tilde != std::string::npos) {
            const size_t bar = line.find('|', tilde + 1);
            second = line.substr(tilde + 1, bar == std::string::npos ? std::string::npos : bar - tilde - 1);
        }
        rows.emplace_back(CutCharacters(first, kTextTableColumnChars), CutCharacters(second, kTextTableColumnChars));
    }
    return rows;
}

SettingsReadReport LoadEnvironment(const std::filesystem::path& programDir, EnvSettings& env) {
    SettingsReadReport report;
    std::string bytes;
    if (ReadWholeFile(programDir / kSettingsFileName, bytes)) report = ParseSettings(bytes, env);
    env.samplesFlag = 0;
    if (ReadWholeFile(programDir / kFirstShowFileName, bytes) && !ParseFirstShow(bytes, env)) env.samplesFlag = 0;
    // The stored "Folder:" value gives way to the start-up flag.
    env.folder = env.samplesFlag;
    env.defaultFolder = env.samplesFlag == 1 ? (programDir / "Samples").string() : std::string();
    if (env.brushSize <= 0) env.brushSize = 1;
    env.gridSpacing = std::clamp<int32_t>(env.gridSpacing, -100000, 100000);
    // A spacing below the minimum (0 included) would make the grid command meaningless.
    if (std::abs(env.gridSpacing) < 4) env.gridSpacing = env.gridSpacing < 0 ? -4 : 4;
    env.textTable.clear();
    if (ReadWholeFile(programDir / kTextTableFileName, bytes)) env.textTable = ParseTextTable(bytes);
    return report;
}

bool SaveEnvironment(const std::filesystem::path& programDir, const EnvSettings& env, std::string* error) {
    // Each file is replaced whole or not at all: a full disk leaves the old settings.
    std::string failure;
    bool saved = WriteFileAtomically((programDir / kSettingsFileName).string(), FormatSettings(env), &failure);
    std::string second;
    if (!WriteFileAtomically((programDir / kFirstShowFileName).string(), FormatFirstShow(env), &second)) {
        saved = false;
        failure += (failure.empty() ? "" : "\n") + second;
    }
    if (error) *error = failure;
    return saved;
}

}  // namespace quillory
