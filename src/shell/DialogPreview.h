#pragma once
// The preview protocol in the editor: the engine's AdjustmentPreview on the active
// document, with the view's selection timer paused while the dialog is open and
// every window of the picture refreshed after each preview and at the end.
//
//     DialogPreview preview(frame, cmd::kBrightnessContrast);
//     if (!preview.Begin()) return;                       // refused: the message was shown
//     dialog.onPreview = [&](const CommandParameters& p) { preview.Run(p); };
//     preview.Finish(dialog.exec() == QDialog::Accepted);  // OK records one step; Cancel restores
//
// Dialogs derived from CAdjustDialog only collect parameters; RunAdjustmentDialog
// does the above for them.
#include <QDialog>
#include <QPointer>
#include <functional>

#include "document/AdjustmentPreview.h"

class QBoxLayout;

namespace quillory {

class CMainFrame;
class CVandView;
class DocumentSession;

class DialogPreview {
public:
    DialogPreview(CMainFrame& frame, int commandId);
    DialogPreview(CMainFrame& frame, PreviewableCommand command);
    ~DialogPreview();
    DialogPreview(const DialogPreview&) = delete;
    DialogPreview& operator=(const DialogPreview&) = delete;

    bool Begin();
    bool Run(const CommandParameters& parameters);
    // OK: the last preview stays as one step; otherwise the layers go back to slot A.
    void Finish(bool accepted);

    DocumentSession* Document() const { return m_document; }

private:
    CMainFrame& m_frame;
    QPointer<CVandView> m_view;
    DocumentSession* m_document = nullptr;
    std::unique_ptr<AdjustmentPreview> m_preview;
    bool m_timerPaused = false;
};

// A dialog of the preview protocol: it reports its parameters whenever the user changes one.
class CAdjustDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    std::function<void(const CommandParameters&)> onPreview;
    virtual CommandParameters Parameters() const = 0;

protected:
    void RequestPreview() {
        if (onPreview) onPreview(Parameters());
    }
};

// The OK and Cancel buttons at the end of a dialog's layout, OK the default.
void AddOkCancel(QDialog& dialog, QBoxLayout* layout);

// Opens the dialog for the command on the active picture under the preview protocol.
// False when there is no picture or the command refused to start.
bool RunAdjustmentDialog(CMainFrame& frame, int commandId, CAdjustDialog& dialog);
bool RunAdjustmentDialog(CMainFrame& frame, PreviewableCommand command, CAdjustDialog& dialog);

}  // namespace quillory
