#pragma once
// The user's environment kept by the main frame, and its two settings files
// "ZazoCon_372.ini" and "FirstShow.ini" plus the text table "KrStr2JpStr.txt",
// all in the per-user program directory. Plain C++ so it is testable without a window.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillory {

inline constexpr const char* kSettingsFileName = "ZazoCon_372.ini";
inline constexpr const char* kFirstShowFileName = "FirstShow.ini";
inline constexpr const char* kTextTableFileName = "KrStr2JpStr.txt";
inline constexpr int kMaxFaceNameLength = 100;
inline constexpr int kMinFontSize = 2;
inline constexpr int kTextTableRows = 200;
inline constexpr int kTextTableColumnChars = 80;
inline constexpr int kTransparencyDisplayAtStart = 3;
inline constexpr int kMinGridSpacingSetting = 4;
inline constexpr int kMaxGridSpacingSetting = 200;

struct ColourSpot {
    int32_t index = 0, x = 0, y = 0;  // place of a colour in the colour chooser
};

struct EnvSettings {
    // Platform colours: red in the low byte.
    int32_t foreground = 0x000000, background = 0xFFFFFF, textColour = 0x000000;
    int32_t prevForeground = 0x000000, prevBackground = 0xFFFFFF;
    ColourSpot foregroundSpot, backgroundSpot, textSpot;
    int32_t fontSize = 20;
    int32_t faceNameLength = 0, secondNameLength = 0;
    int32_t fontStrikeOut = 0, fontUnderLine = 0;
    int32_t brushSize = 5, brushSize2 = 5;
    int32_t gridSpacing = 16;  // negative while the grid is hidden
    int32_t gridColour = 0x808080;
    int32_t cursorKind = 0;
    int32_t pointStyle = 0;
    int32_t pointExtra1 = 0, pointExtra2 = 0;  // carried through
    int32_t fog = 0;
    int32_t transparencyDisplay = kTransparencyDisplayAtStart;
    int32_t folder = 0;
    int32_t checkUpdates = 0;
    int32_t rs = 0;                // carried through
    int32_t ws1 = 0;               // carried through
    int32_t openDialogAtStart = 0;
    int32_t ws3 = 0;               // written as 0
    std::u16string faceName = u"NanumGothic";
    std::u16string secondName;

    // "FirstShow.ini".
    int32_t samplesFlag = 0;
    int32_t updateFlag = 0;
    std::string defaultFolder;  // where the open dialog starts

    // "KrStr2JpStr.txt": Korean text and its replacement, UTF-8.
    std::vector<std::pair<std::string, std::string>> textTable;
};

// How far a settings file was read: the number of lines that matched.
struct SettingsReadReport {
    bool fileFound = false;
    int linesRead = 0;
    bool namesRead = false;
};

// Reads "ZazoCon_372.ini" from bytes; stops at the first line that does not match,
// keeping the values read so far and the old values of the rest.
SettingsReadReport ParseSettings(std::string_view bytes, EnvSettings& env);
std::string FormatSettings(const EnvSettings& env);

// Reads "FirstShow.ini"; false when it does not match.
bool ParseFirstShow(std::string_view bytes, EnvSettings& env);
std::string FormatFirstShow(const EnvSettings& env);

// Splits the code page 949 text table into at most 200 rows of two columns.
std::vector<std::pair<std::string, std::string>> ParseTextTable(std::string_view cp949Bytes);

// Code page 949 (Korean) to UTF-8; undecodable bytes become U+FFFD.
std::string Cp949ToUtf8(std::string_view bytes);

// The whole load of the main frame's creation: settings, start-up flags, folder, table.
SettingsReadReport LoadEnvironment(const std::filesystem::path& programDir, EnvSettings& env);
// Replaces both settings files, each whole or not at all; false when either could not be
// written, with "<file>: <reason>" for each failure in *error.
[[nodiscard]] bool SaveEnvironment(const std::filesystem::path& programDir, const EnvSettings& env,
                                   std::string* error = nullptr);

}  // namespace quillory
