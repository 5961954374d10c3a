// The format dispatch: every codec runs on a temporary object of its own, so a
// failing decoder never damages the target picture.
#include <cstdio>

#include "core/AtomicFile.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoBMP.h"
#include "core/NyZazoGIF.h"
#include "core/NyZazoJPG.h"
#include "core/NyZazoPCX.h"
#include "core/NyZazoTIF.h"
#include "core/Platform.h"
#include "core/Resources.h"

namespace quillory {

namespace {

struct CodecRow {
    int code;
    bool carriesFrameIndex;  // GIF and TIFF read the target's frame or page
    bool (*decode)(NyZazo& target, ImageStream& stream, bool copyError);
    bool (*encode)(NyZazo& picture, ImageStream& stream);
};

template <typename Codec>
bool DecodeWith(NyZazo& target, ImageStream& stream, bool copyError, bool carriesFrameIndex) {
    Codec codec;
    if (carriesFrameIndex) codec.frameIndex = target.frameIndex;
    if (codec.Decode(stream)) {
        const int code = Codec().formatType;
        target.TakeOver(codec);
        // Decoders create their pictures with code 0; record the format that was read.
        target.formatType = int8_t(code);
        return true;
    }
    if (copyError) target.SetLastError(codec.lastError);
    return false;
}

template <typename Codec, bool kFrames>
bool DecodeRow(NyZazo& target, ImageStream& stream, bool copyError) {
    return DecodeWith<Codec>(target, stream, copyError, kFrames);
}

template <typename Codec>
bool EncodeRow(NyZazo& picture, ImageStream& stream) {
    Codec codec;
    codec.ShareFrom(picture);
    bool ok = codec.Encode(stream);
    if (!ok) picture.SetLastError(codec.lastError);
    return ok;
}

// Rows in the order of automatic detection.
constexpr CodecRow kCodecs[] = {
    {kFormatBmp, false, DecodeRow<NyZazoBMP, false>, EncodeRow<NyZazoBMP>},
    {kFormatJpeg, false, DecodeRow<NyZazoJPG, false>, EncodeRow<NyZazoJPG>},
    {kFormatGif, true, DecodeRow<NyZazoGIF, true>, EncodeRow<NyZazoGIF>},
    {kFormatTiff, true, DecodeRow<NyZazoTIF, true>, EncodeRow<NyZazoTIF>},
    {kFormatPcx, false, DecodeRow<NyZazoPCX, false>, nullptr},
};

const CodecRow* FindCodec(int code) {
    for (const auto& row : kCodecs)
        if (row.code == code) return &row;
    return nullptr;
}

}  // namespace

bool NyZazo::Decode(ImageStream& stream, int formatCode) {
    if (formatCode == kFormatQvx || formatCode == kFormatMzr) return true;
    if (const CodecRow* row = FindCodec(formatCode)) return row->decode(*this, stream, true);
    if (formatCode == kFormatUndetermined) {
        long start = stream.Tell();
        for (const auto& row : kCodecs) {
            if (stream.Seek(start, SEEK_SET) != 0) return false;
            if (row.decode(*this, stream, false)) return true;
        }
        return false;
    }
    return Fail(texts::kUnsupportedOperation);
}

bool NyZazo::Encode(ImageStream& stream, int formatCode) {
    if (formatCode == kFormatQvx || formatCode == kFormatMzr) return true;
    const CodecRow* row = FindCodec(formatCode);
    if (!row || !row->encode) return Fail(texts::kUnsupportedOperation);
    return row->encode(*this, stream);
}

// The picture goes into a temporary file beside the target, which replaces the
// target only when everything was written: a failed save never destroys the file
// that was there.
bool NyZazo::Save(const std::string& fileName, int formatCode) {
    // Native and measurement documents are written by the document, never here.
    if (formatCode == kFormatQvx || formatCode == kFormatMzr) return true;
    AtomicFileWriter writer(fileName);
    if (!writer.Open()) {
        SetLastError(FileFailureText(texts::kCannotWriteFile, writer.Error()));
        return false;
    }
    // Only a text of this encode may name the failure; a success keeps the old text.
    std::string before = lastError;
    lastError[0] = '\0';
    const bool encoded = Encode(writer.Stream(), formatCode);
    if (encoded) SetLastError(before);
    if (!encoded) {
        const std::string text = lastError[0] ? lastError : texts::kCannotWriteFile;
        SetLastError(FileFailureText(text, WriteFailureDetail(fileName, writer.Stream().ErrorNumber())));
        return false;
    }
    if (!writer.Commit()) {
        SetLastError(FileFailureText(texts::kCannotWriteFile, writer.Error()));
        return false;
    }
    return true;
}

bool NyZazo::Load(const std::string& fileName, int formatCode) {
    {
        ImageStream stream(ImageStream::kFile);
        if (!stream.OpenFile(fileName, "rb")) return false;
        if (Decode(stream, formatCode)) return true;
    }
    ImageStream again(ImageStream::kFile);
    if (!again.OpenFile(fileName, "rb")) return false;
    return Decode(again, kFormatUndetermined);
}

bool NyZazo::LoadResource(const std::string& resource, int formatCode) {
    ResourceData found = FindResource(resource);
    if (!found.data || found.size == 0 || found.size > UINT32_MAX) {
        SetLastError(texts::kUnableToLoadResource);
        CurrentPlatform().ShowMessage(texts::kResourceFail, MessageKind::Error);
        return false;
    }
    ImageStream stream(found.data, uint32_t(found.size));
    return Decode(stream, formatCode);
}

}  // namespace quillory
