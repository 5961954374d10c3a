#pragma once
// The open dialog's preview without the dialog: which files get a preview, the
// picture reduced to the preview area with its caption, and the PSD picture that
// the preview read, kept so that opening the same file need not read it again.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/NyZazo.h"

namespace quillory {

inline constexpr int kPreviewAreaWidth = 225;
inline constexpr int kPreviewAreaHeight = 180;

enum class PreviewKind { kNone, kQvx, kPsd };

// Native documents and PSD files get a preview; other files none.
PreviewKind PreviewKindOf(std::string_view path);

struct PreviewSize {
    int width = 0;
    int height = 0;
};

// The size a picture is shown at: its own when it fits the preview area, otherwise
// reduced to fit with its proportions kept (never below 1 pixel).
PreviewSize FitPreview(int width, int height);

// Extension of a file type's first pattern ("*.tif;*.tiff" gives "tif"); "" for "*.*".
std::string PatternExtension(std::string_view patterns);

// The typed file name after the dialog's file type changed: the text before the
// first dot of the name, a dot and the new extension. An empty extension leaves
// the name as it is.
std::string ReplaceTypedExtension(std::string_view typedName, std::string_view extension);

struct PreviewPicture {
    int width = 0;  // as shown
    int height = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top-down
    std::string caption;
    bool Valid() const { return width > 0 && height > 0; }
};

// Builds the preview of a picture: reduced by dropping rows and columns.
PreviewPicture MakePreviewPicture(const NyZazo& picture);

// Reads the flat picture stored in a native document; the document library provides it.
// Returns false when the file has none that can be shown.
using QvxPreviewReader = std::function<bool(const std::string& path, NyZazo& flat)>;

class FilePreview {
public:
    enum class Outcome {
        kUnchanged,  // the same file as last time: the preview stays
        kNoPreview,  // a file type without preview
        kShown,      // picture() holds the new preview
        kFailed,     // the file could not be read; no preview
    };

    void SetQvxReader(QvxPreviewReader reader) { m_qvxReader = std::move(reader); }

    // The dialog's selection changed to folder/name.
    Outcome SelectionChanged(const std::string& folder, const std::string& name);

    const PreviewPicture& picture() const { return m_picture; }
    const std::string& lastPath() const { return m_lastPath; }
    // Result code of the last PSD read (psd::kOk when it succeeded).
    int psdResult() const { return m_psdResult; }
    const char* lastError() const { return m_lastError.c_str(); }

    // Hands over the PSD picture read for `path`; false when the preview holds none for that file.
    bool TakePsdPicture(const std::string& path, NyZazo& out);
    void Clear();

private:
    Outcome ShowQvx(const std::string& path);
    Outcome ShowPsd(const std::string& path);

    QvxPreviewReader m_qvxReader;
    std::string m_lastPath;
    PreviewPicture m_picture;
    NyZazo m_psdPicture;
    std::string m_psdPath;
    int m_psdResult = 0;
    std::string m_lastError;
};

}  // namespace quillory
