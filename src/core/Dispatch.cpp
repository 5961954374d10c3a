// The format dispatch over the format table: decoding, encoding, loading and
// saving by file name, and the built-in sample pictures.
#include <cstdio>

#include "core/AtomicFile.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "core/Resources.h"

namespace quillory {

namespace {

// The first bytes of the stream, which is left where it was.
size_t PeekHead(ImageStream& stream, uint8_t (&head)[kSignatureBytes]) {
    const long start = stream.Tell();
    const size_t n = stream.Read(head, 1, sizeof head);
    if (stream.Seek(start, SEEK_SET) != 0) return 0;
    return n;
}

}  // namespace

bool NyZazo::Decode(ImageStream& stream, int formatCode) {
    if (formatCode == kFormatUndetermined) {
        // Only formats whose signature fits are tried, in the table's order; the
        // texts of their failures are not kept.
        const long start = stream.Tell();
        uint8_t head[kSignatureBytes];
        const size_t n = PeekHead(stream, head);
        for (const FormatRow& row : FormatTable()) {
            if (!row.decode || !row.signature || !row.signature(head, n)) continue;
            if (stream.Seek(start, SEEK_SET) != 0) return false;
            if (row.decode(*this, stream, false)) return true;
        }
        return false;
    }
    const FormatRow* row = FindFormat(formatCode);
    if (!row) return Fail(texts::kUnsupportedOperation);
    // Documents are read by the document itself: nothing to do here.
    if (!row->decode) return formatCode == kFormatQvx || formatCode == kFormatMzr ? true
                                                                                    : Fail(texts::kUnsupportedOperation);
    return row->decode(*this, stream, true);
}

bool NyZazo::Encode(ImageStream& stream, int formatCode) {
    if (formatCode == kFormatQvx || formatCode == kFormatMzr) return true;
    const FormatRow* row = FindFormat(formatCode);
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
    std::string firstError;
    {
        ImageStream stream(ImageStream::kFile);
        if (!stream.OpenFile(fileName, "rb")) {
            SetLastError(FileFailureText(texts::kCannotOpenPicture,
                                         fileName + ": " + FileErrorReason(stream.ErrorNumber())));
            return false;
        }
        if (Decode(stream, formatCode)) return true;
        firstError = lastError;
    }
    ImageStream again(ImageStream::kFile);
    if (again.OpenFile(fileName, "rb") && Decode(again, kFormatUndetermined)) return true;
    // The reader of the named format says what was wrong; the file's name follows.
    SetLastError(FileFailureText(firstError.empty() ? texts::kCannotOpenPicture : firstError, fileName));
    return false;
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
