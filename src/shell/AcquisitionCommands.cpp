#include "shell/AcquisitionCommands.h"

#include <QGuiApplication>
#include <QTimer>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "extras/ExtrasTexts.h"
#include "extras/SaneSourceManager.h"
#include "shell/CDlg_ScanOptions.h"
#include "shell/CMainFrame.h"
#include "shell/DlgCapture.h"
#include "shell/ScreenWindows.h"
#include "shell/ScreenshotPortal.h"

namespace quillory {

AcquisitionCommands::AcquisitionCommands(CMainFrame& frame)
    : m_frame(frame), m_pictures([this](NyZazo& picture, const std::string& title) { return AddPicture(picture, title); }) {
    m_twain = std::make_unique<CTwain>(m_pictures, [this]() -> std::unique_ptr<twain::DataSourceManager> {
        SaneSourceManager::Hooks hooks;
        hooks.chooseSource = [this](const std::vector<ScanSourceInfo>& sources) {
            return ChooseScanSource(&m_frame, sources);
        };
        hooks.showOptions = [this](ScanDevice& device) {
            CDlg_ScanOptions dialog(device, &m_frame);
            return dialog.exec() == QDialog::Accepted;
        };
        return SaneSourceManager::Load(std::move(hooks));
    });
}

AcquisitionCommands::~AcquisitionCommands() = default;

bool AcquisitionCommands::AddPicture(NyZazo& picture, const std::string& title) {
    auto document = std::make_shared<DocumentSession>();
    m_frame.AttachDocument(document.get());
    if (!MakeAcquiredDocument(document->doc(), picture, title)) return false;
    m_frame.AddDocumentView(document);
    return true;
}

void AcquisitionCommands::PumpSource() {
    // The source's messages (transfer ready, close request) are taken between the
    // main loop's events; each transfer may take a while.
    QTimer::singleShot(0, &m_frame, [this] {
        WaitCursor wait;
        int guard = 0;
        while (m_twain->SourceEnabled() && m_twain->ProcessMessage(nullptr) && ++guard < 10000) {}
        CurrentPlatform().SetProgress(0);
        m_frame.RefreshCommandStates();
    });
}

bool AcquisitionCommands::Capture(const ScreenWindow* window) {
    const QSize screen = ScreenSize();
    CaptureArea area;
    if (window) {
        area = ClipToScreen(window->x, window->y, window->width, window->height, screen.width(), screen.height());
        // A window wholly off the screen gives nothing.
        if (area.Empty()) return false;
        RaiseScreenWindow(window->id);
    }
    const QImage image = GrabScreenArea(area);
    if (window) {
        m_frame.raise();
        m_frame.activateWindow();
    }
    if (image.isNull()) {
        CurrentPlatform().ShowMessage(texts::kCaptureFailed, MessageKind::Warning);
        return false;
    }
    return m_pictures.AddCapture(ImageToBitmap(image));
}

void AcquisitionCommands::ScreenCapture() {
    const bool wayland = QGuiApplication::platformName().startsWith("wayland");
    DlgCapture dialog(OnX11() ? ListScreenWindows() : std::vector<ScreenWindow>{}, &m_frame);
    if (dialog.exec() != QDialog::Accepted) return;
    const ScreenWindow* window = dialog.Chosen();
    if (wayland && !window) {
        // A Wayland desktop shows itself only through its screenshot service.
        if (!ScreenshotPortal::Available()) {
            CurrentPlatform().ShowMessage(texts::kCaptureFailed, MessageKind::Warning);
            return;
        }
        if (!m_portal) m_portal = new ScreenshotPortal(&m_frame);
        const bool asked = m_portal->Request([this](const QImage& image) {
            if (image.isNull()) CurrentPlatform().ShowMessage(texts::kCaptureFailed, MessageKind::Warning);
            else m_pictures.AddCapture(ImageToBitmap(image));
        });
        if (!asked) CurrentPlatform().ShowMessage(texts::kCaptureFailed, MessageKind::Warning);
        return;
    }
    Capture(window);
}

bool AcquisitionCommands::OnCommand(int id) {
    switch (id) {
        case cmd::kSelectSource:
            m_twain->OpenManager(uintptr_t(m_frame.winId()));
            m_twain->SelectSource();
            return true;
        case cmd::kAcquire:
            m_twain->OpenManager(uintptr_t(m_frame.winId()));
            if (m_twain->Acquire()) PumpSource();
            return true;
        case cmd::kScreenCapture: ScreenCapture(); return true;
        default: return false;
    }
}

bool AcquisitionCommands::OnUpdateCommand(int id, CommandState& state) {
    switch (id) {
        case cmd::kSelectSource:
        case cmd::kAcquire:
        case cmd::kScreenCapture: state.enabled = !m_twain->Transferring(); return true;
        default: return false;
    }
}

}  // namespace quillory
