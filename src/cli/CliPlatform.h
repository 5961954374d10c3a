#pragma once
// The platform of quillory-cli, installed for the lifetime of the object: messages
// the document would show in a box go to the error stream, and text is drawn with
// the fonts fontconfig finds.
#include <memory>
#include <string>

#include "core/Platform.h"

namespace quillory {
class FreeTypeText;
}

namespace quillory::cli {

class CliPlatform : public HeadlessPlatform {
public:
    CliPlatform();
    ~CliPlatform() override;
    CliPlatform(const CliPlatform&) = delete;
    CliPlatform& operator=(const CliPlatform&) = delete;

    MessageAnswer ShowMessage(const std::string& text, MessageKind kind, MessageButtons buttons) override;
    std::vector<std::string> FontFamilies() override;
    TextRaster RasteriseText(const std::string& utf8Text, const TextStyle& style) override;

    // The reason of a failure, unless the message just shown already said it.
    void Explain(const std::string& reason, const char* fallback) const;

private:
    Platform* m_previous = nullptr;
    std::string m_lastShown;
    std::unique_ptr<FreeTypeText> m_text;  // made at the first text
};

}  // namespace quillory::cli
