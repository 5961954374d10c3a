#pragma once
// What the engine needs from the platform: message boxes, the clipboard of packed
// DIBs, progress, the wait cursor, timers, font lists and text rasterising. The Qt
// shell implements it; tests use a recording double. Without an installed platform
// the engine runs on a silent headless one.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

enum class MessageKind { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct TextRaster {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width × height bytes, rows top-down, 0..255
};

struct TextStyle {
    std::string face;
    int pixelHeight = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual MessageAnswer ShowMessage(const std::string& text, MessageKind kind = MessageKind::Information,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;

    virtual bool SetClipboardDib(const std::vector<uint8_t>& packedDib) = 0;
    virtual std::optional<std::vector<uint8_t>> ClipboardDib() = 0;

    virtual void SetProgress(int percent) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Calls back after the given milliseconds on the user-interface thread; returns a timer id.
    virtual int StartTimer(int milliseconds, std::function<void()> callback) = 0;
    virtual void StopTimer(int timerId) = 0;

    virtual std::vector<std::string> FontFamilies() = 0;
    virtual TextRaster RasteriseText(const std::string& utf8Text, const TextStyle& style) = 0;

    // Opens a file with the desktop's default application for its type; false when
    // that could not be started (a platform without a desktop opens nothing).
    virtual bool OpenWithDefaultApplication(const std::string&) { return false; }
};

// The platform the engine talks to; a silent headless one until the shell or a test installs its own.
Platform& CurrentPlatform();
// Installs a platform (not owned); null restores the headless default. Returns the previous one.
Platform* InstallPlatform(Platform* platform);

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() { CurrentPlatform().BeginWaitCursor(); }
    ~WaitCursor() { CurrentPlatform().EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A platform without user interface: answers every question with the default
// button, keeps a private clipboard and renders no text.
class HeadlessPlatform : public Platform {
public:
    MessageAnswer ShowMessage(const std::string& text, MessageKind kind, MessageButtons buttons) override;
    bool SetClipboardDib(const std::vector<uint8_t>& packedDib) override;
    std::optional<std::vector<uint8_t>> ClipboardDib() override;
    void SetProgress(int) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    int StartTimer(int, std::function<void()>) override { return 0; }
    void StopTimer(int) override {}
    std::vector<std::string> FontFamilies() override { return {}; }
    TextRaster RasteriseText(const std::string&, const TextStyle&) override { return {}; }

private:
    std::optional<std::vector<uint8_t>> m_clipboard;
};

}  // namespace quillory
