// The acquisition sequence against a recording data source manager: the calls in
// order, the transfer count, numbered documents and a source kept open.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/NyZazo.h"
#include "document/CVandDoc.h"
#include "extras/AcquiredPictures.h"
#include "extras/CTwain.h"

using namespace quillory;
using twain::ReturnCode;

namespace {

struct FakeLog {
    std::vector<std::string> calls;
    int images = 3;          // images each acquisition transfers
    bool cancelSelection = false;
    bool checkStatusOnSet = false;
    bool failTransfer = false;
    std::vector<int> countsSet;
    std::vector<twain::ItemType> typesSet;
};

class FakeManager : public twain::DataSourceManager {
public:
    explicit FakeManager(FakeLog& log) : m_log(log) {}
    ReturnCode OpenManager(uintptr_t) override { return Log("OpenManager"); }
    ReturnCode CloseManager(uintptr_t) override { return Log("CloseManager"); }
    ReturnCode SelectSource(twain::Identity& source) override {
        Log("SelectSource");
        if (m_log.cancelSelection) return ReturnCode::Cancel;
        source.id = 7;
        twain::SetIdentityString(source.productName, "fake scanner");
        return ReturnCode::Success;
    }
    ReturnCode OpenSource(twain::Identity& source) override {
        EXPECT_EQ(source.id, 7u);
        return Log("OpenSource");
    }
    ReturnCode CloseSource(twain::Identity&) override { return Log("CloseSource"); }
    ReturnCode EnableSource(twain::UserInterface& ui) override {
        EXPECT_TRUE(ui.showUI);
        m_pending = m_log.images;
        m_ready = true;
        return Log("EnableSource");
    }
    ReturnCode DisableSource(twain::UserInterface&) override { return Log("DisableSource"); }
    ReturnCode GetCapability(twain::Capability& c) override {
        c.value = -1;
        c.itemType = twain::ItemType::UInt16;
        return Log("GetCapability");
    }
    ReturnCode SetCapability(const twain::Capability& c) override {
        Log("SetCapability");
        EXPECT_EQ(c.id, twain::kCapTransferCount);
        m_log.countsSet.push_back(c.value);
        m_log.typesSet.push_back(c.itemType);
        if (m_log.checkStatusOnSet && c.itemType == twain::ItemType::Int16) return ReturnCode::CheckStatus;
        return ReturnCode::Success;
    }
    ReturnCode ProcessEvent(twain::Event& e) override {
        if (!m_ready) return ReturnCode::NotDsEvent;
        m_ready = false;
        e.message = twain::SourceMessage::XferReady;
        Log("ProcessEvent");
        return ReturnCode::DsEvent;
    }
    ReturnCode GetImageInfo(twain::ImageInfo& info) override {
        info.width = 4 + m_pending;
        info.length = 3;
        return Log("ImageInfo");
    }
    ReturnCode NativeTransfer(std::vector<uint8_t>& dib) override {
        Log("NativeTransfer");
        if (m_log.failTransfer) return ReturnCode::Failure;
        NyZazo picture(4 + m_pending, 3, 24, 1);
        dib = picture.ToPackedDib();
        return ReturnCode::XferDone;
    }
    ReturnCode EndTransfer(twain::PendingTransfers& p) override {
        p.count = --m_pending;
        return Log("EndTransfer");
    }
    ReturnCode ResetTransfers(twain::PendingTransfers& p) override {
        p.count = m_pending = 0;
        return Log("Reset");
    }
    twain::ConditionCode LastCondition() override { return twain::ConditionCode::Bummer; }

private:
    ReturnCode Log(const char* call) {
        m_log.calls.emplace_back(call);
        return ReturnCode::Success;
    }
    FakeLog& m_log;
    int m_pending = 0;
    bool m_ready = false;
};

struct Acquisition {
    FakeLog log;
    std::vector<std::unique_ptr<CVandDoc>> documents;
    AcquiredPictures pictures{[this](NyZazo& picture, const std::string& title) {
        auto doc = std::make_unique<CVandDoc>();
        if (!MakeAcquiredDocument(*doc, picture, title)) return false;
        documents.push_back(std::move(doc));
        return true;
    }};
    CTwain twain{pictures, [this] { return std::make_unique<FakeManager>(log); }};
    int messagesOffered = 0;

    void PumpMessages() {
        int guard = 0;
        while (twain.SourceEnabled() && twain.ProcessMessage(&guard) && ++guard < 10) ++messagesOffered;
    }
};

std::vector<std::string> Titles(const Acquisition& a) {
    std::vector<std::string> titles;
    for (const auto& d : a.documents) titles.push_back(d->FileName());
    return titles;
}

}  // namespace

TEST(ScanSequence, ThreeImagesMakeThreeNumberedDocumentsInTheStandardsOrder) {
    Acquisition a;
    ASSERT_TRUE(a.twain.OpenManager(1));
    ASSERT_TRUE(a.twain.Acquire());
    EXPECT_TRUE(a.twain.SourceEnabled());
    a.PumpMessages();
    const std::vector<std::string> expected = {
        "OpenManager", "SelectSource", "OpenSource", "SetCapability", "EnableSource", "ProcessEvent",
        "ImageInfo",   "NativeTransfer", "EndTransfer", "ImageInfo", "NativeTransfer", "EndTransfer",
        "ImageInfo",   "NativeTransfer", "EndTransfer"};
    EXPECT_EQ(a.log.calls, expected);
    EXPECT_EQ(a.log.countsSet, std::vector<int>{-1});
    EXPECT_EQ(a.twain.TransferCount(), -1);
    EXPECT_EQ(Titles(a), (std::vector<std::string>{"스캔영상_1", "스캔영상_2", "스캔영상_3"}));
    EXPECT_EQ(a.documents[0]->Header().width, 7);
    EXPECT_EQ(a.documents[2]->Header().width, 5);
    EXPECT_EQ(a.pictures.LastWidth(), 5);
    EXPECT_EQ(a.pictures.NextNumber(), 4);
}

TEST(ScanSequence, AcquiringTwiceReusesTheOpenSourceWithoutAskingAgain) {
    Acquisition a;
    ASSERT_TRUE(a.twain.OpenManager(1));
    ASSERT_TRUE(a.twain.Acquire());
    a.PumpMessages();
    a.log.calls.clear();
    a.log.images = 1;
    ASSERT_TRUE(a.twain.Acquire());
    a.PumpMessages();
    const std::vector<std::string> expected = {"DisableSource", "SetCapability", "EnableSource", "ProcessEvent",
                                               "ImageInfo",     "NativeTransfer", "EndTransfer"};
    EXPECT_EQ(a.log.calls, expected);
    EXPECT_EQ(a.documents.size(), 4u);
    EXPECT_EQ(a.documents.back()->FileName(), "스캔영상_4");
    a.log.calls.clear();
    a.twain.CloseAll();
    EXPECT_EQ(a.log.calls, (std::vector<std::string>{"DisableSource", "CloseSource", "CloseManager"}));
    EXPECT_FALSE(a.twain.ManagerOpen());
}

TEST(ScanSequence, ASourceThatWantsItsOwnTypeGetsTheCountUnsigned) {
    Acquisition a;
    a.log.checkStatusOnSet = true;
    ASSERT_TRUE(a.twain.OpenManager(1));
    ASSERT_TRUE(a.twain.Acquire());
    ASSERT_EQ(a.log.typesSet.size(), 2u);
    EXPECT_EQ(a.log.typesSet[0], twain::ItemType::Int16);
    EXPECT_EQ(a.log.typesSet[1], twain::ItemType::UInt16);
    EXPECT_EQ(std::vector<std::string>(a.log.calls.begin() + 3, a.log.calls.begin() + 7),
              (std::vector<std::string>{"SetCapability", "GetCapability", "SetCapability", "EnableSource"}));
}

TEST(ScanSequence, CancelledSelectionAndFailedTransfersLeaveNoDocument) {
    Acquisition cancelled;
    cancelled.log.cancelSelection = true;
    ASSERT_TRUE(cancelled.twain.OpenManager(1));
    EXPECT_FALSE(cancelled.twain.Acquire());
    EXPECT_FALSE(cancelled.twain.SourceChosen());
    EXPECT_EQ(cancelled.log.calls, (std::vector<std::string>{"OpenManager", "SelectSource"}));

    Acquisition failing;
    failing.log.failTransfer = true;
    ASSERT_TRUE(failing.twain.OpenManager(1));
    ASSERT_TRUE(failing.twain.Acquire());
    failing.PumpMessages();
    EXPECT_TRUE(failing.documents.empty());
    EXPECT_EQ(failing.log.calls.back(), "Reset");
    EXPECT_EQ(failing.pictures.NextNumber(), 1);

    // Without a parent window or a manager nothing opens.
    Acquisition noWindow;
    EXPECT_FALSE(noWindow.twain.OpenManager(0));
    AcquiredPictures sink{[](NyZazo&, const std::string&) { return true; }};
    CTwain missing(sink, [] { return std::unique_ptr<twain::DataSourceManager>(); });
    EXPECT_FALSE(missing.OpenManager(1));
    EXPECT_FALSE(missing.SelectSource());
}

TEST(AcquiredPictures, CapturesShareTheRunningNumberAndEmptyImagesAreDropped) {
    Acquisition a;
    PlatformBitmap bitmap;
    bitmap.width = 2, bitmap.height = 2;
    bitmap.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    ASSERT_TRUE(a.pictures.AddCapture(bitmap));
    a.pictures.CopyImage({}, twain::ImageInfo{});
    ASSERT_TRUE(a.twain.OpenManager(1));
    a.log.images = 1;
    ASSERT_TRUE(a.twain.Acquire());
    a.PumpMessages();
    EXPECT_EQ(Titles(a), (std::vector<std::string>{"Captured Image 1", "스캔영상_2"}));
    const CVandDoc& captured = *a.documents[0];
    EXPECT_EQ(captured.Header().bitsPerPixel, 24);
    // Rows come top-down: the top-left pixel is the first four bytes.
    const LayerRecord& layer = captured.Layer(captured.CurrentLayer());
    const uint8_t* top = layer.PixelRow(1);
    EXPECT_EQ(top[0], 1);
    EXPECT_EQ(top[2], 3);
    EXPECT_EQ(layer.PixelRow(0)[3], 10);
}
