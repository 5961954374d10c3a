#pragma once
// Picture acquisition through a data source manager: opening the manager, choosing
// a source, acquiring with the source's own user interface, offering window
// messages to the enabled source and transferring every pending image to the host.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "extras/DataSourceManager.h"

namespace quillory {

// The part of the main frame that receives what the source transfers.
class TwainHost {
public:
    enum class Take { Take, Skip, Stop };
    virtual ~TwainHost() = default;
    // The application's identity, zero-filled before the call.
    virtual void FillIdentity(twain::Identity& application);
    // Asked before each image; the editor takes every one.
    virtual Take ShouldTransfer(const twain::ImageInfo&) { return Take::Take; }
    // A transferred image: a packed device-independent bitmap and what the source said about it.
    virtual void CopyImage(const std::vector<uint8_t>& packedDib, const twain::ImageInfo& info) = 0;
};

class CTwain {
public:
    // `loadManager` gives the manager, or null when it is missing (then nothing can be chosen).
    using ManagerLoader = std::function<std::unique_ptr<twain::DataSourceManager>()>;
    CTwain(TwainHost& host, ManagerLoader loadManager);
    ~CTwain();
    CTwain(const CTwain&) = delete;
    CTwain& operator=(const CTwain&) = delete;

    // Loads and opens the manager once; false when there is no parent window or no manager.
    bool OpenManager(uintptr_t parentWindow);
    // The user chooses a source (kSelectSource); false when cancelled or impossible.
    bool SelectSource();
    // kAcquire: chooses a source first when none was, opens it unless open, asks for all
    // images and enables it with its user interface. False when nothing could be started.
    bool Acquire();
    // Offers a window message to the enabled source; true when it was the source's.
    // A transfer-ready message runs the transfers; a close request closes the source.
    bool ProcessMessage(const void* windowMessage);
    // Disables and closes the source, closes the manager and releases it.
    void CloseAll();

    bool ManagerOpen() const { return m_managerOpen; }
    bool SourceChosen() const { return m_sourceChosen; }
    bool SourceOpen() const { return m_sourceOpen; }
    bool SourceEnabled() const { return m_sourceEnabled; }
    bool Transferring() const { return m_transferring; }
    twain::ReturnCode LastReturnCode() const { return m_returnCode; }
    twain::ConditionCode LastCondition() const { return m_condition; }
    int TransferCount() const { return m_transferCount; }
    const twain::Identity& Source() const { return m_source; }

private:
    bool OpenSource();
    void DisableSource();
    void CloseSource();
    void CloseManager();
    bool SetTransferCount(int count);
    void TransferImages();
    twain::ReturnCode Note(twain::ReturnCode code);

    TwainHost& m_host;
    ManagerLoader m_loadManager;
    std::unique_ptr<twain::DataSourceManager> m_manager;
    twain::Identity m_application;
    twain::Identity m_source;
    uintptr_t m_parent = 0;
    bool m_managerOpen = false;
    bool m_sourceChosen = false;
    bool m_sourceOpen = false;
    bool m_sourceEnabled = false;
    bool m_transferring = false;
    twain::ReturnCode m_returnCode = twain::ReturnCode::Success;
    twain::ConditionCode m_condition = twain::ConditionCode::Success;
    int m_transferCount = -1;  // -1: all
};

}  // namespace quillory
