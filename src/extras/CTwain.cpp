#include "extras/CTwain.h"

#include <algorithm>
#include <cstring>

namespace quillory {

using twain::ReturnCode;

namespace twain {

void SetIdentityString(char (&field)[kIdentityString], const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), kIdentityString - 1));
}

}  // namespace twain

void TwainHost::FillIdentity(twain::Identity& application) {
    application.version.majorNum = 3;
    application.version.minorNum = 72;
    application.version.language = 2;  // Korean
    application.version.country = 82;  // Korea
    twain::SetIdentityString(application.version.info, "3.72");
    application.protocolMajor = 1;
    application.protocolMinor = 9;
    application.supportedGroups = 0x1 | 0x2;  // control and image
    twain::SetIdentityString(application.manufacturer, "Quillory");
    twain::SetIdentityString(application.productFamily, "Image editor");
    twain::SetIdentityString(application.productName, "Quillory");
}

CTwain::CTwain(TwainHost& host, ManagerLoader loadManager) : m_host(host), m_loadManager(std::move(loadManager)) {}

CTwain::~CTwain() { CloseAll(); }

ReturnCode CTwain::Note(ReturnCode code) {
    m_returnCode = code;
    if (code == ReturnCode::Failure && m_manager) m_condition = m_manager->LastCondition();
    return code;
}

bool CTwain::OpenManager(uintptr_t parentWindow) {
    if (m_managerOpen) return true;
    if (parentWindow == 0) return false;
    if (!m_manager) {
        if (m_loadManager) m_manager = m_loadManager();
        if (!m_manager) return false;
    }
    m_parent = parentWindow;
    m_application = twain::Identity{};
    m_host.FillIdentity(m_application);
    if (Note(m_manager->OpenManager(m_parent)) != ReturnCode::Success) return false;
    m_managerOpen = true;
    return true;
}

bool CTwain::SelectSource() {
    m_source = twain::Identity{};
    m_sourceChosen = false;
    if (!OpenManager(m_parent)) return false;
    if (Note(m_manager->SelectSource(m_source)) != ReturnCode::Success) return false;
    m_sourceChosen = true;
    return true;
}

bool CTwain::OpenSource() {
    if (m_sourceOpen) return true;
    if (Note(m_manager->OpenSource(m_source)) != ReturnCode::Success) return false;
    m_sourceOpen = true;
    return true;
}

bool CTwain::SetTransferCount(int count) {
    twain::Capability capability;
    capability.id = twain::kCapTransferCount;
    capability.containerType = twain::kContainerOneValue;
    capability.itemType = twain::ItemType::Int16;
    capability.value = count;
    ReturnCode code = Note(m_manager->SetCapability(capability));
    if (code == ReturnCode::CheckStatus) {
        // The source wants the value as it keeps it: read it, then set it again unsigned.
        twain::Capability current;
        current.id = twain::kCapTransferCount;
        current.containerType = twain::kContainerAny;
        if (Note(m_manager->GetCapability(current)) == ReturnCode::Success) {
            current.containerType = twain::kContainerOneValue;
            current.itemType = twain::ItemType::UInt16;
            code = Note(m_manager->SetCapability(current));
        }
    }
    if (code == ReturnCode::Success) m_transferCount = count;
    return code == ReturnCode::Success;
}

bool CTwain::Acquire() {
    if (!m_sourceChosen && !SelectSource()) return false;
    if (!m_managerOpen && !OpenManager(m_parent)) return false;
    if (!OpenSource()) return false;
    // A source still enabled from the last acquisition shows its interface afresh.
    if (m_sourceEnabled) DisableSource();
    SetTransferCount(-1);
    twain::UserInterface ui;
    ui.showUI = true;
    ui.modalUI = false;
    ui.parent = m_parent;
    if (Note(m_manager->EnableSource(ui)) != ReturnCode::Success) return false;
    m_sourceEnabled = true;
    return true;
}

bool CTwain::ProcessMessage(const void* windowMessage) {
    if (!m_manager || !m_sourceEnabled) return false;
    twain::Event event;
    event.windowMessage = windowMessage;
    if (Note(m_manager->ProcessEvent(event)) != ReturnCode::DsEvent) return false;
    switch (event.message) {
        case twain::SourceMessage::XferReady: TransferImages(); break;
        case twain::SourceMessage::CloseDsReq:
            DisableSource();
            CloseSource();
            break;
        default: break;
    }
    return true;
}

void CTwain::TransferImages() {
    m_transferring = true;
    twain::PendingTransfers pending;
    pending.count = -1;
    while (pending.count != 0) {
        twain::ImageInfo info;
        if (Note(m_manager->GetImageInfo(info)) != ReturnCode::Success) {
            m_manager->ResetTransfers(pending);
            break;
        }
        const TwainHost::Take take = m_host.ShouldTransfer(info);
        if (take == TwainHost::Take::Stop) {
            Note(m_manager->ResetTransfers(pending));
            break;
        }
        if (take == TwainHost::Take::Skip) {
            Note(m_manager->EndTransfer(pending));
            continue;
        }
        std::vector<uint8_t> dib;
        const ReturnCode code = Note(m_manager->NativeTransfer(dib));
        if (code == ReturnCode::XferDone) {
            m_host.CopyImage(dib, info);
            std::vector<uint8_t>().swap(dib);
            Note(m_manager->EndTransfer(pending));
        } else if (code == ReturnCode::Cancel) {
            Note(m_manager->EndTransfer(pending));
        } else {
            Note(m_manager->ResetTransfers(pending));
            break;
        }
    }
    m_transferring = false;
}

void CTwain::DisableSource() {
    if (!m_sourceEnabled) return;
    twain::UserInterface ui;
    ui.parent = m_parent;
    Note(m_manager->DisableSource(ui));
    m_sourceEnabled = false;
}

void CTwain::CloseSource() {
    if (!m_sourceOpen) return;
    DisableSource();
    Note(m_manager->CloseSource(m_source));
    m_sourceOpen = false;
}

void CTwain::CloseManager() {
    if (!m_managerOpen) return;
    Note(m_manager->CloseManager(m_parent));
    m_managerOpen = false;
}

void CTwain::CloseAll() {
    if (!m_manager) return;
    CloseSource();
    CloseManager();
    m_manager.reset();
}

}  // namespace quillory
