#pragma once
// Pictures from outside the editor: choosing a scanner (kSelectSource), scanning
// (kAcquire) through SANE with the scanner's options dialog, and the screen capture
// (kScreenCapture). Each picture opens in a new window, scanned ones named
// "스캔영상_%d" and captured ones "Captured Image %d" with one running number.
#include <functional>
#include <memory>

#include "extras/AcquiredPictures.h"
#include "extras/CTwain.h"
#include "extras/ScanDevice.h"
#include "extras/ScreenCapture.h"
#include "shell/CommandRouter.h"

namespace quillory {

class CMainFrame;
class ScreenshotPortal;

class AcquisitionCommands : public CommandTarget {
public:
    explicit AcquisitionCommands(CMainFrame& frame);
    ~AcquisitionCommands() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    CTwain& twain() { return *m_twain; }
    AcquiredPictures& pictures() { return m_pictures; }
    // The capture of the desktop (null) or of a window, as the dialog's OK does it.
    bool Capture(const ScreenWindow* window);

private:
    bool AddPicture(NyZazo& picture, const std::string& title);
    void PumpSource();
    void ScreenCapture();

    CMainFrame& m_frame;
    AcquiredPictures m_pictures;
    std::unique_ptr<CTwain> m_twain;
    ScreenshotPortal* m_portal = nullptr;
};

}  // namespace quillory
