#pragma once
// The document's life: a new picture from the new-picture settings, a one-layer
// document from any picture, opening and saving by file extension, the names a
// save proposes and the document numbers.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/NyZazo.h"
#include "core/SaveOptions.h"
#include "processing/ColourDepth.h"

namespace quillory {

class CVandDoc;
struct NewPictureSettings;

struct DocumentHeader;
struct LayerRecord;

// The pixel plane of a layer at the document's depth and palette.
PlaneView ViewOfLayer(const LayerRecord& layer, const DocumentHeader& header);

class DocumentIO {
public:
    // Measurement documents (.mzr) are read and written by the measuring side, which
    // hands its two functions over when it starts; without them such files fail.
    using MeasureFileFunction = bool (*)(CVandDoc& document, const std::string& path);
    static void SetMeasureFileFunctions(MeasureFileFunction open, MeasureFileFunction save);

    static bool NewDocument(CVandDoc& document, const NewPictureSettings& settings);
    // `preread`: the picture of a PSD file that the open dialog's preview already read; it is
    // taken instead of reading the file again. `page` picks the page of a multi-page TIFF or
    // the frame of an animated GIF.
    static bool Open(CVandDoc& document, const std::string& path, NyZazo* preread = nullptr, int page = 0);
    // Picture formats are written with the options of their format.
    static bool Save(CVandDoc& document, const std::string& path, const SaveOptions& options = {});

    // The flat picture of a document that is one plain layer (shown, opaque everywhere,
    // no transparency or shadow, covering the picture exactly) is that layer's pixel
    // plane: `picture` becomes a copy of it. False (nothing made) for any other document.
    // With keepOpacity a layer with see-through parts gives a 32-bit picture whose fourth
    // bytes are its opacity plane.
    static bool PlainLayerPicture(const CVandDoc& document, NyZazo& picture, bool keepOpacity = false);

    static bool BuildFromImage(CVandDoc& document, NyZazo& picture, std::string_view pictureName, uint8_t alphaFill);
    // An opened file's header and kMaxLayers layer slots move into the document, with
    // `headLayer` at the bottom and what creating the layers would have left: a composite
    // of `formatType` at the header's resolution and a full selection mask of the bottom
    // layer's size. False, with the layers cleared, when memory runs out.
    static bool InstallLayers(CVandDoc& document, DocumentHeader& header, LayerRecord* layers, int headLayer,
                              int formatType);
    static void FinishOpening(CVandDoc& document, int layer);

    // Reads a picture file of a format type into `picture` (PSD through its own
    // reader). `picture` changes only on success.
    static bool ReadPicture(const std::string& path, int formatType, NyZazo& picture);

    // Document numbers come from one per-process counter that only grows, so no
    // two documents of a run share a number (and undo file names stay apart).
    static int32_t NextDocumentNumber();

    // True when saving must ask for a name: no path yet, or a picture of a format without a writer.
    static bool NeedsSaveAs(const CVandDoc& document);
    // The name the save prompt proposes for a document title.
    static std::string ProposedSaveName(std::string_view title);
    // The prompt's answer with the chosen type's extension appended when its last
    // five characters hold no ".".
    static std::string CompleteSaveName(std::string_view chosen, int formatType);
    // The extension written for a format type ("" for none).
    static const char* ExtensionFor(int formatType);

    // Every layer of fewer than 24 bits becomes 24-bit colour of its palette entries.
    static bool ConvertToRgb(CVandDoc& document);

    // "복제" (kDuplicateDocument): `settings` take the source's size and depth, `target` becomes a
    // new picture with them holding the source's current layer (or its selected
    // part) pasted and flattened, named "복사%d_%s" with the next running number.
    static bool DuplicateDocument(CVandDoc& source, CVandDoc& target, NewPictureSettings& settings);
    // "잘라서새로만들기" (kCropToNew): the selected part of the current layer as a new
    // picture "이름없음" of its size. Without a selection the message and false;
    // a part below 1 or above 4000 pixels either way ends silently (false).
    static bool NewFromSelection(CVandDoc& source, CVandDoc& target, NewPictureSettings& settings);
    // The running number the next duplicate is named with (application-wide).
    static int NextDuplicateNumber();
};

}  // namespace quillory
