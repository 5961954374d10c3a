#pragma once
// The text input tool ("글자입력"): a press on the picture starts a text there, or
// takes up the text layer under the point for editing ("글자수정"); typed text,
// the input method's composition and the caret are kept here and shown by the
// view; committing puts the text into its layer with one step.
#include <cstddef>
#include <functional>
#include <string>

#include "extras/TextLayer.h"
#include "view/ViewTool.h"

namespace quillory {

class ToolRegistry;

// Keys the tool understands through ViewTool::Key.
namespace TextKey {
inline constexpr int Return = '\r';      // a line break
inline constexpr int Backspace = 8;
inline constexpr int Escape = 27;        // drop the entry
inline constexpr int Delete = 127;
inline constexpr int Left = 0x1001, Right = 0x1002, Home = 0x1003, End = 0x1004;
inline constexpr int Commit = 0x1010;    // Ctrl+Return
}  // namespace TextKey

struct TextEntry {
    bool active = false;
    int slot = -1;                   // the text layer being edited; -1 for a new text
    int pictureX = 0, pictureY = 0;  // the text's top-left, rows from the top
    std::u16string text;
    size_t caret = 0;                // UTF-16 units into `text`
    std::u16string preedit;          // the input method's composition, shown at the caret
    int preeditCaret = 0;
    TextLook look;
};

class TextTool : public ViewTool {
public:
    using LookSource = std::function<TextLook()>;
    explicit TextTool(LookSource look) : m_look(std::move(look)) {}

    // Commits a running entry; otherwise starts one at the point or on the text layer there.
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Key(ToolContext& context, int key) override;

    // Typing into the running entry; each returns true when the entry changed.
    bool Insert(std::u16string_view text);
    bool SetPreedit(std::u16string text, int caret);
    bool Backspace();
    bool DeleteForward();
    bool MoveCaret(int key);
    // The font chosen anew (the text dialog) while typing; the text may change too.
    void SetLook(const TextLook& look) { m_entry.look = look; }
    void SetText(std::u16string text);

    // Puts the text into a new layer or its edited layer; true when the document changed.
    // An empty text changes nothing. The entry ends either way.
    bool Commit(CVandDoc& document);
    // Drops the entry; an edited layer shows its old text again. True when one was running.
    bool Cancel(CVandDoc& document);

    bool Active() const { return m_entry.active; }
    const TextEntry& Entry() const { return m_entry; }

private:
    void Begin(CVandDoc& document, int pictureX, int pictureY);

    LookSource m_look;
    TextEntry m_entry;
};

// Registers the text input tool (kToolText); its look comes from `look` at each new entry.
void RegisterTextTool(ToolRegistry& registry, TextTool::LookSource look);

}  // namespace quillory
