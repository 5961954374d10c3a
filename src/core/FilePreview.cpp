#include "core/FilePreview.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/PsdReader.h"

namespace quillory {

PreviewKind PreviewKindOf(std::string_view path) {
    const std::string extension = ExtensionOf(path);
    if (extension == "qvx") return PreviewKind::kQvx;
    if (extension == "psd") return PreviewKind::kPsd;
    return PreviewKind::kNone;
}

PreviewSize FitPreview(int width, int height) {
    if (width <= 0 || height <= 0) return {};
    if (width <= kPreviewAreaWidth && height <= kPreviewAreaHeight) return {width, height};
    const int64_t w = width, h = height;
    // Whichever side meets the area first limits the reduction.
    if (w * kPreviewAreaHeight >= h * kPreviewAreaWidth)
        return {kPreviewAreaWidth, int(std::max<int64_t>(1, h * kPreviewAreaWidth / w))};
    return {int(std::max<int64_t>(1, w * kPreviewAreaHeight / h)), kPreviewAreaHeight};
}

std::string PatternExtension(std::string_view patterns) {
    std::string_view first = patterns.substr(0, patterns.find(';'));
    const size_t dot = first.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string_view extension = first.substr(dot + 1);
    if (extension.empty() || extension.find('*') != std::string_view::npos) return {};
    return std::string(extension);
}

std::string ReplaceTypedExtension(std::string_view typedName, std::string_view extension) {
    if (extension.empty()) return std::string(typedName);
    // Only the file name part counts: a dot in a folder name is not an extension.
    const size_t slash = typedName.find_last_of("/\\");
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = typedName.find('.', nameStart);
    std::string result(typedName.substr(0, dot));
    result += '.';
    result += extension;
    return result;
}

PreviewPicture MakePreviewPicture(const NyZazo& picture) {
    PreviewPicture out;
    if (!picture.dib) return out;
    const PreviewSize size = FitPreview(picture.Width(), picture.Height());
    if (size.width <= 0 || size.height <= 0) return out;
    out.width = size.width;
    out.height = size.height;
    out.sourceWidth = picture.Width();
    out.sourceHeight = picture.Height();
    out.pixels.assign(size_t(out.width) * size_t(out.height), 0xFFFFFFFFu);
    TargetBuffer target(out.pixels.data(), out.width, out.height);
    picture.Draw(&target, 0, 0, out.width, out.height);
    return out;
}

FilePreview::Outcome FilePreview::SelectionChanged(const std::string& folder, const std::string& name) {
    const std::string path = folder.empty() ? name : (std::filesystem::path(folder) / name).string();
    if (path == m_lastPath) return Outcome::kUnchanged;
    m_lastPath = path;
    m_picture = PreviewPicture{};
    m_psdPicture.Destroy();
    m_psdPath.clear();
    m_psdResult = psd::kOk;
    m_lastError.clear();
    switch (PreviewKindOf(path)) {
        case PreviewKind::kQvx: return ShowQvx(path);
        case PreviewKind::kPsd: return ShowPsd(path);
        case PreviewKind::kNone: break;
    }
    return Outcome::kNoPreview;
}

FilePreview::Outcome FilePreview::ShowQvx(const std::string& path) {
    NyZazo flat;
    if (!m_qvxReader || !m_qvxReader(path, flat) || !flat.dib) {
        m_lastError = flat.lastError;
        return Outcome::kFailed;
    }
    m_picture = MakePreviewPicture(flat);
    char caption[128];
    std::snprintf(caption, sizeof caption, texts::kQvxPreviewCaption, flat.Width(), flat.Height());
    m_picture.caption = caption;
    return Outcome::kShown;
}

FilePreview::Outcome FilePreview::ShowPsd(const std::string& path) {
    PsdReader reader;
    m_psdResult = reader.Read(path);
    if (m_psdResult != psd::kOk || !reader.TakePicture(m_psdPicture)) {
        m_lastError = reader.lastError();
        return Outcome::kFailed;
    }
    m_psdPath = path;
    m_picture = MakePreviewPicture(m_psdPicture);
    return Outcome::kShown;
}

bool FilePreview::TakePsdPicture(const std::string& path, NyZazo& out) {
    if (!m_psdPicture.dib || path != m_psdPath) return false;
    out.TakeOver(m_psdPicture);
    m_psdPath.clear();
    return true;
}

void FilePreview::Clear() {
    m_lastPath.clear();
    m_picture = PreviewPicture{};
    m_psdPicture.Destroy();
    m_psdPath.clear();
    m_psdResult = psd::kOk;
    m_lastError.clear();
}

}  // namespace quillory
