#pragma once
// The data source manager of picture acquisition, as the TWAIN standard names its
// operations: each call is one triplet of the standard (data group, data argument
// type, message) with its record, and answers with the standard's return code.
// CTwain makes the calls in the standard's order; SaneSourceManager carries them
// out over SANE, and tests use a recording fake.
#include <cstdint>
#include <string>
#include <vector>

namespace quillory::twain {

// Return codes.
enum class ReturnCode : uint16_t {
    Success = 0,
    Failure = 1,
    CheckStatus = 2,
    Cancel = 3,
    DsEvent = 4,
    NotDsEvent = 5,
    XferDone = 6,
    EndOfList = 7,
};

// Condition codes, asked for after a failure.
enum class ConditionCode : uint16_t {
    Success = 0,
    Bummer = 1,
    LowMemory = 2,
    NoDataSource = 3,
    MaxConnections = 4,
    OperationError = 5,
    BadCapability = 6,
    BadProtocol = 9,
    BadValue = 10,
    SequenceError = 11,
    BadDestination = 12,
};

// What a source tells the application through an event.
enum class SourceMessage : uint16_t { None = 0, XferReady = 0x0101, CloseDsReq = 0x0102, CloseDsOk = 0x0103 };

inline constexpr uint16_t kCapTransferCount = 1;
inline constexpr uint16_t kContainerOneValue = 5;
inline constexpr uint16_t kContainerAny = 0xFFFF;

enum class ItemType : uint16_t { Int8 = 0, Int16 = 1, Int32 = 2, UInt8 = 3, UInt16 = 4, UInt32 = 5, Bool = 6 };

// The identity record of an application or a source (156 bytes in the standard:
// the strings are 34 characters each with their terminator).
inline constexpr size_t kIdentityString = 34;
struct Version {
    uint16_t majorNum = 0, minorNum = 0, language = 0, country = 0;
    char info[kIdentityString] = {};
};
struct Identity {
    uint32_t id = 0;
    Version version;
    uint16_t protocolMajor = 0, protocolMinor = 0;
    uint32_t supportedGroups = 0;
    char manufacturer[kIdentityString] = {};
    char productFamily[kIdentityString] = {};
    char productName[kIdentityString] = {};
};
inline constexpr size_t kIdentityRecordBytes = 156;
// Copies at most 33 characters and the terminator.
void SetIdentityString(char (&field)[kIdentityString], const std::string& text);

struct UserInterface {
    bool showUI = true;
    bool modalUI = false;
    uintptr_t parent = 0;  // the parent window
};

struct Capability {
    uint16_t id = 0;
    uint16_t containerType = kContainerOneValue;
    ItemType itemType = ItemType::Int16;
    int32_t value = 0;
};

// A window message offered to the source, and the source's message back.
struct Event {
    const void* windowMessage = nullptr;
    SourceMessage message = SourceMessage::None;
};

struct ImageInfo {
    double xResolution = 0, yResolution = 0;
    int32_t width = 0, length = 0;  // pixels; a length of -1 is not known before the transfer
    int16_t samplesPerPixel = 0;
    int16_t bitsPerPixel = 0;
};

struct PendingTransfers {
    int count = 0;  // -1: more, how many is not known
};

class DataSourceManager {
public:
    virtual ~DataSourceManager() = default;

    // CONTROL / PARENT / OPENDSM and CLOSEDSM.
    virtual ReturnCode OpenManager(uintptr_t parent) = 0;
    virtual ReturnCode CloseManager(uintptr_t parent) = 0;
    // CONTROL / IDENTITY / USERSELECT: the user picks a source; the identity comes back filled.
    virtual ReturnCode SelectSource(Identity& source) = 0;
    // CONTROL / IDENTITY / OPENDS and CLOSEDS.
    virtual ReturnCode OpenSource(Identity& source) = 0;
    virtual ReturnCode CloseSource(Identity& source) = 0;
    // CONTROL / USERINTERFACE / ENABLEDS and DISABLEDS.
    virtual ReturnCode EnableSource(UserInterface& ui) = 0;
    virtual ReturnCode DisableSource(UserInterface& ui) = 0;
    // CONTROL / CAPABILITY / GET and SET.
    virtual ReturnCode GetCapability(Capability& capability) = 0;
    virtual ReturnCode SetCapability(const Capability& capability) = 0;
    // CONTROL / EVENT / PROCESSEVENT: DsEvent when the message was the source's.
    virtual ReturnCode ProcessEvent(Event& event) = 0;
    // IMAGE / IMAGEINFO / GET.
    virtual ReturnCode GetImageInfo(ImageInfo& info) = 0;
    // IMAGE / IMAGENATIVEXFER / GET: XferDone with a packed device-independent bitmap.
    virtual ReturnCode NativeTransfer(std::vector<uint8_t>& packedDib) = 0;
    // CONTROL / PENDINGXFERS / ENDXFER and RESET.
    virtual ReturnCode EndTransfer(PendingTransfers& pending) = 0;
    virtual ReturnCode ResetTransfers(PendingTransfers& pending) = 0;
    // CONTROL / STATUS / GET: the condition of the last failure.
    virtual ConditionCode LastCondition() = 0;
};

}  // namespace quillory::twain
