#include "extras/SaneSourceManager.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "extras/ExtrasTexts.h"

#if defined(QUILLORY_HAVE_SANE)
#include <sane/sane.h>
#include <sane/saneopts.h>
#endif

namespace quillory {

using twain::ConditionCode;
using twain::ReturnCode;

#if defined(QUILLORY_HAVE_SANE)

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

const char* UnitText(SANE_Unit unit) {
    switch (unit) {
        case SANE_UNIT_PIXEL: return "pixel";
        case SANE_UNIT_BIT: return "bit";
        case SANE_UNIT_MM: return "mm";
        case SANE_UNIT_DPI: return "dpi";
        case SANE_UNIT_PERCENT: return "%";
        case SANE_UNIT_MICROSECOND: return "µs";
        default: return "";
    }
}

// One opened SANE device as the options dialog sees it.
class SaneDevice : public ScanDevice {
public:
    SaneDevice(SANE_Handle handle, std::string name) : m_handle(handle), m_name(std::move(name)) {}

    std::string DeviceName() const override { return m_name; }

    std::vector<ScanOption> Options() override {
        std::vector<ScanOption> options;
        SANE_Int count = 0;
        if (sane_control_option(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return options;
        for (SANE_Int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
            if (!d) continue;
            ScanOption o;
            if (!Describe(i, *d, o)) continue;
            options.push_back(std::move(o));
        }
        return options;
    }

    bool SetFlag(int index, bool value) override {
        SANE_Bool v = value ? SANE_TRUE : SANE_FALSE;
        return Set(index, &v);
    }

    bool SetNumber(int index, double value) override {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
        if (!d) return false;
        SANE_Word v = d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(value);
        return Set(index, &v);
    }

    bool SetText(int index, const std::string& value) override {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
        if (!d || d->type != SANE_TYPE_STRING || d->size <= 0) return false;
        std::vector<char> buffer(size_t(d->size), '\0');
        std::memcpy(buffer.data(), value.data(), std::min(value.size(), buffer.size() - 1));
        return Set(index, buffer.data());
    }

    bool Press(int index) override { return Set(index, nullptr); }

    // The value of the option named `name` as text ("" when there is none).
    std::string TextOption(const char* name) {
        for (const ScanOption& o : Options())
            if (o.name == name && o.kind == ScanOption::Kind::Text) return o.text;
        return {};
    }
    double NumberOption(const char* name, double fallback) {
        for (const ScanOption& o : Options())
            if (o.name == name && (o.kind == ScanOption::Kind::Whole || o.kind == ScanOption::Kind::Real)) return o.number;
        return fallback;
    }

private:
    // A button is pressed by setting it without a value.
    bool Set(int index, void* value) {
        SANE_Int info = 0;
        return sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, value, &info) == SANE_STATUS_GOOD;
    }

    bool Describe(int index, const SANE_Option_Descriptor& d, ScanOption& o) {
        o.index = index;
        o.name = d.name ? d.name : "";
        o.title = d.title ? d.title : "";
        o.description = d.desc ? d.desc : "";
        o.unit = UnitText(d.unit);
        o.active = SANE_OPTION_IS_ACTIVE(d.cap);
        o.settable = SANE_OPTION_IS_SETTABLE(d.cap);
        o.advanced = (d.cap & SANE_CAP_ADVANCED) != 0;
        switch (d.type) {
            case SANE_TYPE_BOOL: o.kind = ScanOption::Kind::Flag; break;
            case SANE_TYPE_INT: o.kind = ScanOption::Kind::Whole; break;
            case SANE_TYPE_FIXED: o.kind = ScanOption::Kind::Real; break;
            case SANE_TYPE_STRING: o.kind = ScanOption::Kind::Text; break;
            case SANE_TYPE_BUTTON: o.kind = ScanOption::Kind::Button; return true;
            case SANE_TYPE_GROUP: o.kind = ScanOption::Kind::Group; return true;
            default: return false;
        }
        // Lists of values (gamma tables and the like) are left to the scanner's defaults.
        if (d.type != SANE_TYPE_STRING && d.size != SANE_Int(sizeof(SANE_Word))) return false;
        const bool fixed = d.type == SANE_TYPE_FIXED;
        auto number = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
        switch (d.constraint_type) {
            case SANE_CONSTRAINT_RANGE:
                if (!d.constraint.range) break;
                o.limit = ScanOption::Limit::Range;
                o.minimum = number(d.constraint.range->min);
                o.maximum = number(d.constraint.range->max);
                o.step = number(d.constraint.range->quant);
                break;
            case SANE_CONSTRAINT_WORD_LIST:
                if (!d.constraint.word_list) break;
                o.limit = ScanOption::Limit::Values;
                for (SANE_Int k = 1; k <= d.constraint.word_list[0]; ++k) o.values.push_back(number(d.constraint.word_list[k]));
                break;
            case SANE_CONSTRAINT_STRING_LIST:
                if (!d.constraint.string_list) break;
                o.limit = ScanOption::Limit::Texts;
                for (const SANE_String_Const* s = d.constraint.string_list; *s; ++s) o.texts.emplace_back(*s);
                break;
            default: break;
        }
        if (!o.active || !(d.cap & SANE_CAP_SOFT_DETECT)) return true;
        if (d.type == SANE_TYPE_STRING) {
            std::vector<char> buffer(size_t(std::max<SANE_Int>(d.size, 1)) + 1, '\0');
            if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, buffer.data(), nullptr) == SANE_STATUS_GOOD)
                o.text = buffer.data();
        } else {
            SANE_Word w = 0;
            if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, &w, nullptr) == SANE_STATUS_GOOD) {
                o.flag = w != 0;
                o.number = number(w);
            }
        }
        return true;
    }

    SANE_Handle m_handle;
    std::string m_name;
};

// Samples of one frame as 8-bit values: 16-bit samples keep their high byte, 1-bit
// line art (1 = black) becomes 0 or 255.
uint8_t Sample(const uint8_t* line, int index, int depth) {
    switch (depth) {
        case 1: return (line[index >> 3] >> (7 - (index & 7))) & 1 ? 0 : 255;
        case 16: {
            uint16_t v;
            std::memcpy(&v, line + 2 * index, 2);
            return uint8_t(v >> 8);
        }
        default: return line[index];
    }
}

}  // namespace

struct SaneSourceManager::Impl {
    bool initialised = false;
    std::vector<ScanSourceInfo> devices;
    SANE_Handle handle = nullptr;
    std::string deviceName;
    std::unique_ptr<SaneDevice> device;
    bool feeder = false;
};

std::unique_ptr<SaneSourceManager> SaneSourceManager::Load(Hooks hooks) {
    return std::unique_ptr<SaneSourceManager>(new SaneSourceManager(std::move(hooks)));
}

SaneSourceManager::SaneSourceManager(Hooks hooks) : m_hooks(std::move(hooks)), m_impl(std::make_unique<Impl>()) {}

SaneSourceManager::~SaneSourceManager() {
    if (m_impl->handle) {
        sane_cancel(m_impl->handle);
        sane_close(m_impl->handle);
    }
    if (m_impl->initialised) sane_exit();
}

ReturnCode SaneSourceManager::Fail(ConditionCode condition) {
    m_condition = condition;
    return ReturnCode::Failure;
}

ScanDevice* SaneSourceManager::Device() { return m_impl->device.get(); }

ReturnCode SaneSourceManager::OpenManager(uintptr_t) {
    if (m_impl->initialised) return Fail(ConditionCode::SequenceError);
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return Fail(ConditionCode::Bummer);
    m_impl->initialised = true;
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::CloseManager(uintptr_t) {
    if (!m_impl->initialised) return Fail(ConditionCode::SequenceError);
    if (m_impl->handle) {
        twain::Identity none;
        CloseSource(none);
    }
    sane_exit();
    m_impl->initialised = false;
    m_impl->devices.clear();
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::SelectSource(twain::Identity& source) {
    if (!m_impl->initialised) return Fail(ConditionCode::SequenceError);
    const SANE_Device** list = nullptr;
    m_impl->devices.clear();
    if (sane_get_devices(&list, SANE_FALSE) == SANE_STATUS_GOOD && list)
        for (const SANE_Device** d = list; *d; ++d)
            m_impl->devices.push_back(ScanSourceInfo{(*d)->name ? (*d)->name : "", (*d)->vendor ? (*d)->vendor : "",
                                                     (*d)->model ? (*d)->model : "", (*d)->type ? (*d)->type : ""});
    if (m_impl->devices.empty()) {
        CurrentPlatform().ShowMessage(texts::kNoScanner, MessageKind::Information);
        m_condition = ConditionCode::NoDataSource;
        return ReturnCode::Cancel;
    }
    const int chosen = m_hooks.chooseSource ? m_hooks.chooseSource(m_impl->devices) : 0;
    if (chosen < 0 || chosen >= int(m_impl->devices.size())) return ReturnCode::Cancel;
    const ScanSourceInfo& info = m_impl->devices[size_t(chosen)];
    source = twain::Identity{};
    source.id = uint32_t(chosen + 1);
    source.protocolMajor = 1;
    source.protocolMinor = 9;
    twain::SetIdentityString(source.manufacturer, info.vendor);
    twain::SetIdentityString(source.productFamily, info.model);
    twain::SetIdentityString(source.productName, info.name);
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::OpenSource(twain::Identity& source) {
    if (!m_impl->initialised) return Fail(ConditionCode::SequenceError);
    if (m_impl->handle) return Fail(ConditionCode::MaxConnections);
    // The device list may be gone (the manager was closed since): the product name then names it.
    std::string name = source.productName;
    if (source.id >= 1 && source.id <= m_impl->devices.size()) name = m_impl->devices[source.id - 1].name;
    SANE_Handle handle = nullptr;
    if (name.empty() || sane_open(name.c_str(), &handle) != SANE_STATUS_GOOD || !handle)
        return Fail(ConditionCode::NoDataSource);
    m_impl->handle = handle;
    m_impl->deviceName = name;
    m_impl->device = std::make_unique<SaneDevice>(handle, name);
    m_events.clear();
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::CloseSource(twain::Identity&) {
    if (!m_impl->handle) return Fail(ConditionCode::SequenceError);
    StopPage();
    m_impl->device.reset();
    sane_close(m_impl->handle);
    m_impl->handle = nullptr;
    m_enabled = false;
    m_events.clear();
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::EnableSource(twain::UserInterface& ui) {
    if (!m_impl->handle || m_enabled) return Fail(ConditionCode::SequenceError);
    m_enabled = true;
    m_transferred = 0;
    const bool scan = !ui.showUI || !m_hooks.showOptions || m_hooks.showOptions(*m_impl->device);
    const std::string source = Lower(m_impl->device->TextOption(SANE_NAME_SCAN_SOURCE));
    m_impl->feeder = source.find("adf") != std::string::npos || source.find("feeder") != std::string::npos;
    m_events.push_back(scan ? twain::SourceMessage::XferReady : twain::SourceMessage::CloseDsReq);
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::DisableSource(twain::UserInterface&) {
    if (!m_enabled) return Fail(ConditionCode::SequenceError);
    StopPage();
    m_enabled = false;
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::GetCapability(twain::Capability& capability) {
    if (!m_impl->handle) return Fail(ConditionCode::SequenceError);
    if (capability.id != twain::kCapTransferCount) return Fail(ConditionCode::BadCapability);
    capability.containerType = twain::kContainerOneValue;
    capability.itemType = twain::ItemType::Int16;
    capability.value = m_transferCount;
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::SetCapability(const twain::Capability& capability) {
    if (!m_impl->handle) return Fail(ConditionCode::SequenceError);
    if (capability.id != twain::kCapTransferCount) return Fail(ConditionCode::BadCapability);
    if (capability.value == 0 || capability.value < -1) return Fail(ConditionCode::BadValue);
    m_transferCount = capability.value;
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::ProcessEvent(twain::Event& event) {
    if (!m_enabled || m_events.empty()) return ReturnCode::NotDsEvent;
    event.message = m_events.front();
    m_events.pop_front();
    return ReturnCode::DsEvent;
}

bool SaneSourceManager::StartPage() {
    if (m_pageStarted) return true;
    if (sane_start(m_impl->handle) != SANE_STATUS_GOOD) {
        sane_cancel(m_impl->handle);
        return false;
    }
    m_pageStarted = true;
    return true;
}

void SaneSourceManager::StopPage() {
    if (m_impl->handle && m_pageStarted) sane_cancel(m_impl->handle);
    m_pageStarted = false;
}

ReturnCode SaneSourceManager::GetImageInfo(twain::ImageInfo& info) {
    if (!m_enabled) return Fail(ConditionCode::SequenceError);
    if (!StartPage()) return Fail(ConditionCode::OperationError);
    SANE_Parameters p{};
    if (sane_get_parameters(m_impl->handle, &p) != SANE_STATUS_GOOD) return Fail(ConditionCode::OperationError);
    const bool colour = p.format != SANE_FRAME_GRAY;
    info.width = p.pixels_per_line;
    info.length = p.lines;
    info.samplesPerPixel = colour ? 3 : 1;
    info.bitsPerPixel = int16_t(colour ? 24 : 8);
    const double dpi = m_impl->device->NumberOption(SANE_NAME_SCAN_RESOLUTION, 0);
    info.xResolution = info.yResolution = dpi;
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::NativeTransfer(std::vector<uint8_t>& packedDib) {
    if (!m_enabled || !m_pageStarted) return Fail(ConditionCode::SequenceError);
    SANE_Handle h = m_impl->handle;
    // Planes of the page: grey, or red, green and blue (one frame, or three of a three-pass scanner).
    struct Frame {
        SANE_Parameters p{};
        std::vector<uint8_t> data;
    };
    std::vector<Frame> frames;
    uint64_t total = 0;
    std::vector<uint8_t> buffer(64 * 1024);
    for (;;) {
        Frame frame;
        if (sane_get_parameters(h, &frame.p) != SANE_STATUS_GOOD) return Fail(ConditionCode::OperationError);
        const SANE_Parameters& p = frame.p;
        if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 || (p.depth != 1 && p.depth != 8 && p.depth != 16))
            return Fail(ConditionCode::OperationError);
        for (;;) {
            SANE_Int length = 0;
            const SANE_Status status = sane_read(h, buffer.data(), SANE_Int(buffer.size()), &length);
            if (status == SANE_STATUS_EOF) break;
            if (status == SANE_STATUS_CANCELLED) {
                StopPage();
                return ReturnCode::Cancel;
            }
            if (status != SANE_STATUS_GOOD) {
                StopPage();
                return Fail(ConditionCode::OperationError);
            }
            total += uint64_t(length);
            if (total > kMaxPixelBytes) {
                StopPage();
                return Fail(ConditionCode::LowMemory);
            }
            frame.data.insert(frame.data.end(), buffer.data(), buffer.data() + length);
        }
        const bool last = p.last_frame;
        frames.push_back(std::move(frame));
        if (last || frames.size() >= 3) break;
        if (sane_start(h) != SANE_STATUS_GOOD) {
            StopPage();
            return Fail(ConditionCode::OperationError);
        }
    }
    const SANE_Parameters& first = frames.front().p;
    const int width = first.pixels_per_line;
    int height = INT32_MAX;
    for (const Frame& f : frames) height = std::min<int64_t>(height, int64_t(f.data.size()) / f.p.bytes_per_line);
    const bool grey = frames.size() == 1 && first.format == SANE_FRAME_GRAY;
    if (height <= 0) return Fail(ConditionCode::OperationError);
    NyZazo picture;
    if (!picture.Create(width, height, grey ? 8 : 24, kFormatBmp)) return Fail(ConditionCode::LowMemory);
    if (grey) picture.SetGreyPalette();
    for (int screenY = 0; screenY < height; ++screenY) {
        uint8_t* row = picture.Row(height - 1 - screenY);
        for (const Frame& f : frames) {
            const uint8_t* line = f.data.data() + size_t(screenY) * size_t(f.p.bytes_per_line);
            const int depth = f.p.depth;
            if (grey) {
                for (int x = 0; x < width; ++x) row[x] = Sample(line, x, depth);
            } else if (f.p.format == SANE_FRAME_RGB) {
                for (int x = 0; x < width; ++x) {
                    row[3 * x + 2] = Sample(line, 3 * x, depth);
                    row[3 * x + 1] = Sample(line, 3 * x + 1, depth);
                    row[3 * x] = Sample(line, 3 * x + 2, depth);
                }
            } else {
                // One colour of a three-pass scan; a grey frame among them fills all three.
                const int channel = f.p.format == SANE_FRAME_RED ? 2 : f.p.format == SANE_FRAME_GREEN ? 1 : 0;
                for (int x = 0; x < width; ++x) {
                    const uint8_t v = Sample(line, x, depth);
                    if (f.p.format == SANE_FRAME_GRAY) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
                    else row[3 * x + channel] = v;
                }
            }
        }
    }
    const double dpi = m_impl->device->NumberOption(SANE_NAME_SCAN_RESOLUTION, 0);
    if (dpi > 0) picture.dpiX = picture.dpiY = int(dpi + 0.5);
    packedDib = picture.ToPackedDib();
    if (packedDib.empty()) return Fail(ConditionCode::LowMemory);
    return ReturnCode::XferDone;
}

ReturnCode SaneSourceManager::EndTransfer(twain::PendingTransfers& pending) {
    if (!m_enabled) return Fail(ConditionCode::SequenceError);
    ++m_transferred;
    m_pageStarted = false;
    const bool wantMore = m_transferCount < 0 || m_transferred < m_transferCount;
    // A feeder goes on while it has paper; a flatbed gives one page.
    if (wantMore && m_impl->feeder && StartPage()) {
        pending.count = -1;
        return ReturnCode::Success;
    }
    sane_cancel(m_impl->handle);
    pending.count = 0;
    // The page or pages are in: the source's work is done.
    m_events.push_back(twain::SourceMessage::CloseDsReq);
    return ReturnCode::Success;
}

ReturnCode SaneSourceManager::ResetTransfers(twain::PendingTransfers& pending) {
    if (!m_enabled) return Fail(ConditionCode::SequenceError);
    StopPage();
    if (m_impl->handle) sane_cancel(m_impl->handle);
    pending.count = 0;
    m_events.push_back(twain::SourceMessage::CloseDsReq);
    return ReturnCode::Success;
}

#else  // without SANE there is no manager

struct SaneSourceManager::Impl {};

std::unique_ptr<SaneSourceManager> SaneSourceManager::Load(Hooks) { return nullptr; }
SaneSourceManager::SaneSourceManager(Hooks hooks) : m_hooks(std::move(hooks)) {}
SaneSourceManager::~SaneSourceManager() = default;
ReturnCode SaneSourceManager::Fail(ConditionCode condition) {
    m_condition = condition;
    return ReturnCode::Failure;
}
ScanDevice* SaneSourceManager::Device() { return nullptr; }
ReturnCode SaneSourceManager::OpenManager(uintptr_t) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::CloseManager(uintptr_t) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::SelectSource(twain::Identity&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::OpenSource(twain::Identity&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::CloseSource(twain::Identity&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::EnableSource(twain::UserInterface&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::DisableSource(twain::UserInterface&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::GetCapability(twain::Capability&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::SetCapability(const twain::Capability&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::ProcessEvent(twain::Event&) { return ReturnCode::NotDsEvent; }
ReturnCode SaneSourceManager::GetImageInfo(twain::ImageInfo&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::NativeTransfer(std::vector<uint8_t>&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::EndTransfer(twain::PendingTransfers&) { return Fail(ConditionCode::Bummer); }
ReturnCode SaneSourceManager::ResetTransfers(twain::PendingTransfers&) { return Fail(ConditionCode::Bummer); }
bool SaneSourceManager::StartPage() { return false; }
void SaneSourceManager::StopPage() {}

#endif

}  // namespace quillory
