#include "core/Platform.h"

namespace quillory {

namespace {
HeadlessPlatform& DefaultPlatform() {
    static HeadlessPlatform platform;
    return platform;
}
Platform* g_platform = nullptr;
}  // namespace

Platform& CurrentPlatform() { return g_platform ? *g_platform : DefaultPlatform(); }

Platform* InstallPlatform(Platform* platform) {
    Platform* previous = g_platform;
    g_platform = platform;
    return previous;
}

MessageAnswer HeadlessPlatform::ShowMessage(const std::string&, MessageKind, MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
        case MessageButtons::OkCancel: return MessageAnswer::Ok;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
    }
    return MessageAnswer::Ok;
}

bool HeadlessPlatform::SetClipboardDib(const std::vector<uint8_t>& packedDib) {
    m_clipboard = packedDib;
    return true;
}

std::optional<std::vector<uint8_t>> HeadlessPlatform::ClipboardDib() { return m_clipboard; }

}  // namespace quillory
