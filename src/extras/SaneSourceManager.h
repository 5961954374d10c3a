#pragma once
// The data source manager over SANE: the sources are the SANE devices, choosing
// lists them, enabling a source shows the options dialog (the shell's, through a
// hook), and a native transfer reads one scanned page into a packed bitmap. A
// feeder scans page after page until it is empty.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "extras/DataSourceManager.h"
#include "extras/ScanDevice.h"

namespace quillory {

class SaneSourceManager : public twain::DataSourceManager {
public:
    struct Hooks {
        // The user's choice among the devices: an index, or -1 to cancel. The first device without it.
        std::function<int(const std::vector<ScanSourceInfo>&)> chooseSource;
        // The source's user interface: true to scan, false when the user closed it. Scans at once without it.
        std::function<bool(ScanDevice&)> showOptions;
    };

    // Null when the program was built without SANE.
    static std::unique_ptr<SaneSourceManager> Load(Hooks hooks);
    ~SaneSourceManager() override;

    twain::ReturnCode OpenManager(uintptr_t parent) override;
    twain::ReturnCode CloseManager(uintptr_t parent) override;
    twain::ReturnCode SelectSource(twain::Identity& source) override;
    twain::ReturnCode OpenSource(twain::Identity& source) override;
    twain::ReturnCode CloseSource(twain::Identity& source) override;
    twain::ReturnCode EnableSource(twain::UserInterface& ui) override;
    twain::ReturnCode DisableSource(twain::UserInterface& ui) override;
    twain::ReturnCode GetCapability(twain::Capability& capability) override;
    twain::ReturnCode SetCapability(const twain::Capability& capability) override;
    twain::ReturnCode ProcessEvent(twain::Event& event) override;
    twain::ReturnCode GetImageInfo(twain::ImageInfo& info) override;
    twain::ReturnCode NativeTransfer(std::vector<uint8_t>& packedDib) override;
    twain::ReturnCode EndTransfer(twain::PendingTransfers& pending) override;
    twain::ReturnCode ResetTransfers(twain::PendingTransfers& pending) override;
    twain::ConditionCode LastCondition() override { return m_condition; }

    // The open device's options (null when none is open), for tests and scripts.
    ScanDevice* Device();

private:
    struct Impl;
    explicit SaneSourceManager(Hooks hooks);
    twain::ReturnCode Fail(twain::ConditionCode condition);
    bool StartPage();
    void StopPage();

    Hooks m_hooks;
    std::unique_ptr<Impl> m_impl;
    std::deque<twain::SourceMessage> m_events;
    twain::ConditionCode m_condition = twain::ConditionCode::Success;
    int m_transferCount = -1;  // images wanted per acquisition; -1 all
    int m_transferred = 0;
    bool m_enabled = false;
    bool m_pageStarted = false;
};

}  // namespace quillory
