#include "shell/DialogPreview.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPushButton>

#include <optional>

#include "shell/CMainFrame.h"
#include "shell/CVandView.h"

namespace quillory {

DialogPreview::DialogPreview(CMainFrame& frame, int commandId) : m_frame(frame), m_view(frame.ActiveView()) {
    if (!m_view) return;
    m_document = &m_view->document();
    m_preview = std::make_unique<AdjustmentPreview>(m_document->doc(), commandId);
}

DialogPreview::DialogPreview(CMainFrame& frame, PreviewableCommand command) : m_frame(frame), m_view(frame.ActiveView()) {
    if (!m_view) return;
    m_document = &m_view->document();
    m_preview = std::make_unique<AdjustmentPreview>(m_document->doc(), std::move(command));
}

DialogPreview::~DialogPreview() {
    if (m_preview && m_preview->IsOpen()) Finish(false);
    if (m_timerPaused && m_view) m_view->ResumeSelectionTimer();
}

bool DialogPreview::Begin() {
    if (!m_preview || !m_preview->Begin()) return false;
    m_view->PauseSelectionTimer();
    m_timerPaused = true;
    return true;
}

bool DialogPreview::Run(const CommandParameters& parameters) {
    if (!m_preview || !m_preview->IsOpen()) return false;
    const bool ran = m_preview->Run(parameters);
    // Shown at once: the user is waiting for this picture.
    for (CVandView* view : m_frame.Views())
        if (&view->document() == m_document) view->viewport()->repaint();
    return ran;
}

void DialogPreview::Finish(bool accepted) {
    if (!m_preview || !m_preview->IsOpen()) return;
    if (accepted)
        m_preview->Commit();
    else
        m_preview->Cancel();
    if (m_timerPaused && m_view) m_view->ResumeSelectionTimer();
    m_timerPaused = false;
    m_frame.DocumentChanged(m_document);
}

void AddOkCancel(QDialog& dialog, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

namespace {

bool RunUnder(DialogPreview& preview, CAdjustDialog& dialog) {
    if (!preview.Begin()) return false;
    std::optional<CommandParameters> shown;  // the values of the picture now on screen
    dialog.onPreview = [&preview, &shown](const CommandParameters& parameters) {
        preview.Run(parameters);
        shown = parameters;
    };
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog.onPreview = nullptr;
    // OK on the values as they opened (or on values no preview has shown yet) still applies them.
    if (accepted && shown != dialog.Parameters()) preview.Run(dialog.Parameters());
    preview.Finish(accepted);
    return true;
}

}  // namespace

bool RunAdjustmentDialog(CMainFrame& frame, int commandId, CAdjustDialog& dialog) {
    DialogPreview preview(frame, commandId);
    return RunUnder(preview, dialog);
}

bool RunAdjustmentDialog(CMainFrame& frame, PreviewableCommand command, CAdjustDialog& dialog) {
    DialogPreview preview(frame, std::move(command));
    return RunUnder(preview, dialog);
}

}  // namespace quillory
