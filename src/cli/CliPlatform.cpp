#include "cli/CliPlatform.h"

#include <iostream>

#include "fonts/FreeTypeText.h"

namespace quillory::cli {

CliPlatform::CliPlatform() { m_previous = InstallPlatform(this); }

CliPlatform::~CliPlatform() { InstallPlatform(m_previous); }

MessageAnswer CliPlatform::ShowMessage(const std::string& text, MessageKind kind, MessageButtons buttons) {
    std::cerr << text << "\n";
    m_lastShown = text;
    return HeadlessPlatform::ShowMessage(text, kind, buttons);
}

std::vector<std::string> CliPlatform::FontFamilies() {
    if (!m_text) m_text = std::make_unique<FreeTypeText>();
    return m_text->Families();
}

TextRaster CliPlatform::RasteriseText(const std::string& utf8Text, const TextStyle& style) {
    if (!m_text) m_text = std::make_unique<FreeTypeText>();
    return m_text->Rasterise(utf8Text, style);
}

void CliPlatform::Explain(const std::string& reason, const char* fallback) const {
    const std::string text = reason.empty() ? std::string(fallback) : reason;
    if (text != m_lastShown) std::cerr << text << "\n";
}

}  // namespace quillory::cli
