#pragma once
// The preview protocol of every adjustment, filter and transform dialog.
//
// A command that a dialog previews is registered with RegisterPreviewable: its
// change (run on the document without recording anything), the name of its undo
// step and the step's code. The registry's handler for the id refuses a text layer
// where asked, runs the change and records the step, so a script line and a
// dialog's OK do the same thing.
//
// How a dialog uses it (the shell's DialogPreview wraps this with the paused
// selection timer and the repaint):
//
//     AdjustmentPreview preview(document, cmd::kBrightnessContrast);
//     if (!preview.Begin()) return;      // refused (a text layer): the message was shown
//     // on every parameter change:
//     preview.Run(parameters);           // from slot A, under the wait cursor; the result waits in slot B
//     // OK:                             // Cancel:
//     preview.Commit();                  preview.Cancel();   // leaving the scope cancels too
//
// Every Run starts again from the committed copy (slot A), so previews never add
// up; Commit puts slot B back and records one named step; Cancel puts slot A back,
// byte for byte. A change works on the current layer; with the step codes that keep
// every layer (Resized, Flipped) the protocol saves and restores every layer.
// The picture's size, depth and palette travel with the slots, so palette changes
// are previewed and cancelled like pixel changes.
#include <functional>
#include <string>

#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"

namespace quillory {

// The change of a previewable command, without its step; false when it could not run.
using DocumentChange = std::function<bool(CVandDoc& document, const CommandParameters& parameters)>;

struct PreviewableCommand {
    int id = 0;
    std::string menuText;
    std::string stepName;
    DocumentChange change;
    int stepCode = StepCode::Pixels;
    bool refuseTextLayer = true;  // a text layer as the current layer is refused with a message
    const char* textLayerMessage = nullptr;  // that message; null: "현재는 [Text:글] 레이어..."

    bool ChangesEveryLayer() const { return stepCode == StepCode::Resized || stepCode == StepCode::Flipped; }
};

// Registers the command's handler in the registry and keeps its description for previews.
void RegisterPreviewable(CommandRegistry& registry, PreviewableCommand command);
// Null for an id that was not registered with RegisterPreviewable.
const PreviewableCommand* FindPreviewable(int id);

// True, after showing the message ("현재는 [Text:글] 레이어..." when null), when the current layer is a text layer.
bool RefuseTextLayer(const CVandDoc& document, const char* message = nullptr);

class AdjustmentPreview {
public:
    AdjustmentPreview(CVandDoc& document, int commandId);
    // A change that is not a registered command of its own (a filter chosen by name).
    AdjustmentPreview(CVandDoc& document, PreviewableCommand command);
    ~AdjustmentPreview();
    AdjustmentPreview(const AdjustmentPreview&) = delete;
    AdjustmentPreview& operator=(const AdjustmentPreview&) = delete;

    // Refuses an unknown command, a missing current layer or (where the command asks)
    // a text layer with its message; otherwise returns the layers to slot A and copies them into slot B.
    bool Begin();
    // Back to slot A, then the change with these parameters; the result goes to slot B.
    // False when the change could not run (the layers then show slot A).
    bool Run(const CommandParameters& parameters);
    // Slot B back into the layers and one step with the command's name.
    bool Commit();
    // Slot A back into the layers; no step.
    void Cancel();
    // The document is gone: the preview ends without touching it.
    void Abandon() { m_open = false; }

    bool IsOpen() const { return m_open; }
    const PreviewableCommand* Command() const { return m_command; }

private:
    enum class Slot { A, B };
    void Restore(Slot slot);
    void Keep(Slot slot);
    template <typename Each>
    void ForEachLayer(Each each);

    // What a change may alter besides the layers and the picture values: the
    // selection (a resized current layer takes a new mask), the scratch size and
    // the mark that a background layer was written.
    struct Surroundings {
        SelectionMask selection;
        int32_t scratchSize = 0;
        int32_t backgroundChanged = 0;
    };

    CVandDoc& m_document;
    Surroundings m_kept[2];  // as found (A) and as last previewed (B)
    PreviewableCommand m_owned;
    const PreviewableCommand* m_command;
    int m_layer = -1;
    bool m_open = false;
};

}  // namespace quillory
