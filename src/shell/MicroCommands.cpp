#include "shell/MicroCommands.h"

#include <QColorDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CommandRegistry.h"
#include "measure/MeasureSet.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureTool.h"
#include "measure/MeasureViewTool.h"
#include "measure/MultiFocus.h"
#include "shell/CDlg_MicroTools.h"
#include "shell/CDlg_Mic_Env.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "shell/DlgExcel.h"
#include "shell/Dlg_Calibration.h"
#include "shell/DocumentSession.h"
#include "shell/ToolCommands.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

QColor FromPlatform(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// The commands that need a picture and nothing more.
bool NeedsPicture(int id) {
    return id == cmd::kMeasureContinuousOff || id == cmd::kSetReference || id == cmd::kExportWorkbook ||
           id == cmd::kMultiFocus || id == cmd::kSaveMeasureAs || id == cmd::kRedrawMeasure;
}

}  // namespace

MicroCommands::MicroCommands(CMainFrame& frame) : m_frame(frame) {
    SetMeasureTextPrompt([this](std::string& text) { return AskText(text); });
}

MicroCommands::~MicroCommands() {
    SetMeasureTextPrompt(nullptr);
    delete m_palette;
}

void MicroCommands::AttachDocument(DocumentSession& document) { MeasuresOf(document.doc()).UseSettings(&m_settings); }

bool MicroCommands::AskText(std::string& text) {
    if (textPrompt) return textPrompt(text);
    bool ok = false;
    const QString entered = QInputDialog::getText(&m_frame, Text(mtexts::kToolTextObject),
                                                  Text(mtexts::kTextObjectPrompt), QLineEdit::Normal, QString(), &ok);
    text = entered.toStdString();
    return ok && !text.empty();
}

void MicroCommands::ToolChanging(int previous, int next) {
    // Zooming passes through "no tool" and back; a pending figure waits for a real choice.
    if (m_quiet || next == cmd::kNone) return;
    DocumentSession* document = m_frame.ActiveDocument();
    if (!document) return;
    CVandDoc& doc = document->doc();
    if (!IsMeasureTool(next) && !HasPendingFigure(doc)) return;
    const bool changed = ChooseMeasureTool(doc, previous, next);
    MeasuresOf(doc).tool.currentTool = next;
    if (changed) m_frame.DocumentChanged(document);
}

bool MicroCommands::ChooseTool(int id) {
    m_frame.toolCommands().DropFloatingSelections();
    m_frame.SetCurrentTool(id);
    RefreshPalette();
    return true;
}

void MicroCommands::AfterMouse(DocumentSession& document) {
    const MeasureSet* set = FindMeasures(document.doc());
    if (!set) return;
    if (redrawOnAdd && set->ObjectCount() > m_objectsBefore && m_objectsBefore >= 0) RedrawAll(document);
    m_objectsBefore = set->ObjectCount();
    if (set->pickedReference && m_settings.referencePending) {
        // The calibration opens again once the mouse event has ended.
        QTimer::singleShot(0, &m_frame, [this] {
            DocumentSession* active = m_frame.ActiveDocument();
            const MeasureSet* picked = active ? FindMeasures(active->doc()) : nullptr;
            if (picked && picked->pickedReference) OpenCalibration(active);
        });
    }
    RefreshPalette();
}

void MicroCommands::RedrawAll(DocumentSession& document) {
    if (document.Execute(cmd::kRedrawMeasure)) m_frame.DocumentChanged(&document);
}

void MicroCommands::EndContinuous(DocumentSession* document) {
    const int stays = document ? EndContinuousMeasure(document->doc(), m_frame.currentTool()) : cmd::kNone;
    m_quiet = true;
    m_frame.SetCurrentTool(stays);
    m_quiet = false;
    if (document) {
        if (FindMeasures(document->doc())) MeasuresOf(document->doc()).tool.currentTool = stays;
        m_frame.DocumentChanged(document);
    }
    RefreshPalette();
}

void MicroCommands::OpenCalibration(DocumentSession* document) {
    if (!document) return;
    CVandDoc& doc = document->doc();
    MeasureSet& set = MeasuresOf(doc);
    const bool picked = set.pickedReference;
    const int toolBefore = m_frame.currentTool();
    // After a pick the dialog comes back with what was entered before it (unit, length).
    Dlg_Calibration dialog(picked && m_pickEntries ? *m_pickEntries : m_settings, &m_frame);
    if (picked) dialog.SetPickedVector(set.pickedDx, set.pickedDy);
    const int result = dialog.exec();
    if (picked) {
        // The line drawn for the pick goes, and so does the pick.
        FinishReferencePick(doc);
        m_frame.DocumentChanged(document);
        m_frame.statusBar()->clearMessage();
    }
    m_pickEntries.reset();
    if (result == Dlg_Calibration::kPickReference) {
        m_pickEntries = m_settings;
        dialog.Apply(*m_pickEntries);
        m_settings.referencePending = 1;
        ChooseTool(cmd::kToolMeasureSegment);
        m_frame.statusBar()->showMessage(Text(mtexts::kReferencePickHint));
        return;
    }
    if (result == QDialog::Accepted) {
        MeasureSettings entered = m_settings;
        dialog.Apply(entered);
        m_settings.unitIndex = entered.unitIndex;
        const CommandParameters parameters{{"dx", std::to_string(entered.refDx)},
                                           {"dy", std::to_string(entered.refDy)},
                                           // As typed: the engine refuses what is no finite length above 0.
                                           {"length", dialog.length()->text().trimmed().toStdString()},
                                           {"unit", entered.unitName}};
        if (document->Execute(cmd::kCalibrationValues, parameters)) m_frame.DocumentChanged(document);
        m_quiet = true;
        m_frame.SetCurrentTool(toolBefore);
        m_quiet = false;
    }
    RefreshPalette();
}

void MicroCommands::OpenEnvironment(DocumentSession* document) {
    CDlg_Mic_Env::ColourChooser chooser = colourChooser;
    if (!chooser) {
        chooser = [this](uint32_t current) -> std::optional<uint32_t> {
            for (int i = 0; i < int(kMeasureColours.size()); ++i)
                QColorDialog::setCustomColor(i, FromPlatform(kMeasureColours[size_t(i)]));
            const QColor c = QColorDialog::getColor(FromPlatform(current), &m_frame);
            if (!c.isValid()) return std::nullopt;
            return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
        };
    }
    CDlg_Mic_Env dialog(m_settings, m_frame.env(), redrawOnAdd, chooser, &m_frame);
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.Apply(m_settings, m_frame.env(), redrawOnAdd);
    if (document) {
        const MeasureSet* set = FindMeasures(document->doc());
        if (set && set->LiveObjects() > 0) RedrawAll(*document);
        m_frame.UpdateAllViews(document, 0);
        if (CVandView* view = m_frame.ActiveView()) view->ApplyCursor(m_frame.env().cursorKind);
    }
    RefreshPalette();
}

void MicroCommands::OpenExport(DocumentSession* document) {
    if (!document) return;
    // The workbook goes beside the picture, else where pictures are opened from.
    const QString folder = document->path().empty() ? m_frame.OpenFolder()
                                                    : QFileInfo(QString::fromStdString(document->path())).absolutePath();
    DlgExcel dialog(document->doc(), QString::fromStdString(m_frame.programDir().string()), folder, &m_frame);
    dialog.exec();
}

void MicroCommands::ComposeFocus() {
    if (!m_frame.ActiveDocument()) return;
    std::vector<CVandDoc*> documents;
    for (CVandView* view : m_frame.Views()) {
        CVandDoc* doc = &view->document().doc();
        if (std::find(documents.begin(), documents.end(), doc) == documents.end()) documents.push_back(doc);
    }
    auto result = std::make_shared<DocumentSession>();
    m_frame.AttachDocument(result.get());
    if (!ComposeMultiFocus(documents, result->doc(), m_frame.newPicture())) return;
    m_frame.AddDocumentView(result);
}

bool MicroCommands::Measuring() const {
    return (m_palette && m_palette->isVisible()) || IsMeasureTool(m_frame.currentTool());
}

int MicroCommands::VectorEditFor(int id) const {
    // While the palette is shown, undo and redo take one object out or back; once there is
    // none (or no measurement layer any more) they go to the document's history.
    DocumentSession* document = m_frame.ActiveDocument();
    const MeasureSet* set = document ? FindMeasures(document->doc()) : nullptr;
    if (!m_palette || !m_palette->isVisible() || !set || set->MeasureLayerIndex() < 0) return 0;
    if (id == cmd::kEditUndo && set->CanUndo()) return cmd::kMeasureEditUndo;
    if (id == cmd::kEditRedo && set->CanRedo()) return cmd::kMeasureEditRedo;
    return 0;
}

void MicroCommands::TogglePalette() {
    if (!m_palette) {
        m_palette = new CDlg_MicroTools([this](int id) { m_frame.Dispatch(id); },
                                        [this](int id) { return m_frame.router().Update(id); }, &m_frame);
        const QRect frame = m_frame.geometry();
        const int height = std::max(280, m_palette->sizeHint().height());
        m_palette->setGeometry(frame.right() - 263, frame.top() + 120, 260, height);
    } else if (m_palette->isVisible()) {
        m_palette->hide();
        return;
    }
    m_palette->show();
    m_palette->raise();
    RefreshPalette();
}

void MicroCommands::RefreshPalette() {
    if (!m_palette || !m_palette->isVisible()) return;
    DocumentSession* document = m_frame.ActiveDocument();
    m_palette->Refresh(QString::fromStdString(ReferenceLine(m_settings)),
                       document && HasPendingFigure(document->doc()), m_settings.referencePending != 0);
}

bool MicroCommands::OnCommand(int id) {
    DocumentSession* document = m_frame.ActiveDocument();
    switch (id) {
        case cmd::kMeasureTools: TogglePalette(); return true;
        case cmd::kMeasureContinuousOff: EndContinuous(document); return true;
        case cmd::kSetReference: OpenCalibration(document); return true;
        case cmd::kAnalysisSettings: OpenEnvironment(document); return true;
        case cmd::kExportWorkbook: OpenExport(document); return true;
        case cmd::kMultiFocus: ComposeFocus(); return true;
        case cmd::kSaveMeasureAs:
            if (document) m_frame.SaveDocument(*document, true);
            return true;
        case cmd::kMeasureEditUndo:
        case cmd::kMeasureEditRedo:
        case cmd::kRedrawMeasure:
            if (document && document->Execute(id)) m_frame.DocumentChanged(document);
            RefreshPalette();
            return true;
        case cmd::kEditCut: {
            // With the selection tool, Delete erases the selected measurement object.
            const MeasureSet* set = document ? FindMeasures(document->doc()) : nullptr;
            if (m_frame.currentTool() != cmd::kToolMeasureSelect || !set || set->Selected() < 0) return false;
            if (document->Execute(cmd::kMeasureErase)) m_frame.DocumentChanged(document);
            return true;
        }
        default: break;
    }
    if (IsMeasureTool(id)) return ChooseTool(id);
    return false;
}

bool MicroCommands::OnUpdateCommand(int id, CommandState& state) {
    DocumentSession* document = m_frame.ActiveDocument();
    const MeasureSet* set = document ? FindMeasures(document->doc()) : nullptr;
    switch (id) {
        case cmd::kMeasureTools: state.checked = m_palette && m_palette->isVisible(); return true;
        case cmd::kAnalysisSettings: return true;
        case cmd::kMeasureEditUndo: state.enabled = set && set->CanUndo(); return true;
        case cmd::kMeasureEditRedo: state.enabled = set && set->CanRedo(); return true;
        default: break;
    }
    if (NeedsPicture(id)) {
        state.enabled = document != nullptr;
        return true;
    }
    if (IsMeasureTool(id)) {
        state.enabled = document != nullptr;
        state.checked = m_frame.currentTool() == id;
        return true;
    }
    return false;
}

}  // namespace quillory
