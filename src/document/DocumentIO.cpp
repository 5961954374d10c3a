#include "document/DocumentIO.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/Platform.h"
#include "core/SaveOptions.h"
#include "core/SizeMath.h"
#include "document/CVandDoc.h"
#include "document/ClipboardCommands.h"
#include "document/Compositor.h"
#include "document/DocumentBudget.h"
#include "document/DocumentTexts.h"
#include "document/LayerTransfer.h"
#include "document/PictureOpacity.h"
#include "document/QvxFormat.h"
#include "document/Utf16.h"
#include "processing/ColourDepth.h"

namespace quillory {

namespace {

void Show(const char* text) { CurrentPlatform().ShowMessage(text, MessageKind::Warning); }

DocumentIO::MeasureFileFunction g_openMeasure = nullptr;
DocumentIO::MeasureFileFunction g_saveMeasure = nullptr;

// False, with the message shown and kept as the document's last error, when an
// open would need more memory than the limit allows.
bool WithinBudget(CVandDoc& document, int64_t width, int64_t height, uint64_t bytes) {
    const std::string problem = OpenBudgetProblem(width, height, bytes);
    if (problem.empty()) return true;
    Show(problem.c_str());
    document.SetLastError(problem);
    return false;
}

// Directory part of a path: everything up to and including the last separator.
size_t FileNameStart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

bool OpenNative(CVandDoc& document, const std::string& path) {
    auto file = std::make_unique<QvxDocument>();
    std::string error;
    if (!LoadQvx(path, *file, error)) {
        if (!error.empty()) Show(error.c_str());
        return false;
    }
    if (!LayerStack::IsValidIndex(file->headLayer)) return false;
    if (!DocumentIO::InstallLayers(document, file->header, file->layers.data(), file->headLayer, kFormatQvx)) return false;
    document.SetPathName(path);
    DocumentIO::FinishOpening(document, file->headLayer);
    return true;
}

bool SaveNative(CVandDoc& document, const std::string& path) {
    std::vector<uint32_t> flat;
    const bool haveFlat = document.FlattenForSaving(flat);
    QvxSource source;
    source.header = &document.Header();
    source.layers = document.Stack().Layers();
    source.headLayer = document.HeadLayer();
    source.currentLayer = document.CurrentLayer();
    source.flattenBuffer = haveFlat ? reinterpret_cast<const uint8_t*>(flat.data()) : nullptr;
    source.flattenTopDown = true;
    std::string error;
    // The reason is kept for the caller, which tells the user together with the file's name.
    if (!SaveQvx(path, source, error)) {
        document.SetLastError(error);
        return false;
    }
    return true;
}

// Writes the flat picture; it then stays as the composite's information (resolution,
// format type), its pixels released.
bool WritePicture(CVandDoc& document, std::unique_ptr<NyZazo> picture, const std::string& path, int type,
                  const SaveOptions& options) {
    const DocumentHeader& header = document.Header();
    picture->lastError[0] = '\0';
    ApplySaveOptions(options, type, *picture);
    // Every picture file keeps the resolution the document was opened with.
    picture->SetDpiX(header.dpiX);
    picture->SetDpiY(header.dpiY);
    // NyZazo::Save writes next to the target and renames only on success.
    const bool written = picture->Save(path, type);
    if (!written) document.SetLastError(picture->lastError[0] ? picture->lastError : texts::kCannotWriteFile);
    picture->Destroy();
    document.State().composite = std::move(picture);
    return written;
}

// The flat picture reduced to 256 octree colours: the palette the GIF is written with.
bool GifPalette(const DocumentHeader& header, const std::vector<uint32_t>& flat, std::vector<RGBQUAD>& palette) {
    if (flat.size() != size_t(header.width) * size_t(header.height)) return false;
    RGBQUAD table[256] = {};
    if (!OctreePaletteOfFlat(flat.data(), header.width, header.height, table)) return false;
    palette.assign(table, table + 256);
    return true;
}

bool SaveImage(CVandDoc& document, const std::string& path, int type, const SaveOptions& options) {
    auto plain = std::make_unique<NyZazo>();
    if (type != kFormatGif && DocumentIO::PlainLayerPicture(document, *plain, KeepsOpacity(type)))
        return WritePicture(document, std::move(plain), path, type, options);
    std::vector<uint32_t> flat;
    if (!document.FlattenForSaving(flat)) {
        document.SetLastError(texts::kConversionFailed);
        return false;
    }
    DocumentHeader& header = document.Header();
    auto picture = std::make_unique<NyZazo>();
    bool converted;
    if (type == kFormatGif) {
        std::vector<RGBQUAD> palette;
        if (!GifPalette(header, flat, palette)) {
            document.SetLastError(texts::kConversionFailed);
            return false;
        }
        // For the duration of the save the document is a 256-colour picture; its
        // depth, colour count and palette are put back afterwards so its layers
        // keep meaning what they meant.
        const int32_t colourCount = header.colourCount, bitsPerPixel = header.bitsPerPixel;
        const int32_t imageSize = header.imageSize;
        std::vector<RGBQUAD> previous = std::move(header.palette);
        header.palette = std::move(palette);
        header.colourCount = 256;
        header.bitsPerPixel = 8;
        header.imageSize = int32_t(int64_t(header.height) * PlaneStride(8, header.width));
        converted = Compositor::BufferToImage(header, flat, *picture);
        header.palette = std::move(previous);
        header.colourCount = colourCount;
        header.bitsPerPixel = bitsPerPixel;
        header.imageSize = imageSize;
    } else {
        // Transparent parts stay transparent in the formats that keep opacity.
        converted = (KeepsOpacity(type) && FlatPictureWithOpacity(flat, header.width, header.height, *picture)) ||
                    Compositor::BufferToImage(header, flat, *picture);
    }
    if (!converted) {
        document.SetLastError(texts::kConversionFailed);
        return false;
    }
    return WritePicture(document, std::move(picture), path, type, options);
}

// The layer's colours with its opacity plane as the fourth bytes.
bool LayerWithOpacity(const LayerRecord& layer, const DocumentHeader& header, NyZazo& picture) {
    // Made for a format that keeps opacity, so even a layer transparent everywhere is written so.
    if (!picture.CreateForWriting(header.width, header.height, 32, kFormatPng)) return false;
    for (int y = 0; y < header.height; ++y) {
        const uint8_t* colour = layer.PixelRow(y);
        const uint8_t* alpha = layer.AlphaRow(y);
        uint8_t* out = picture.Row(y);
        for (int x = 0; x < header.width; ++x, colour += 3, out += 4)
            out[0] = colour[0], out[1] = colour[1], out[2] = colour[2], out[3] = alpha[x];
    }
    return true;
}

}  // namespace

void DocumentIO::SetMeasureFileFunctions(MeasureFileFunction open, MeasureFileFunction save) {
    g_openMeasure = open;
    g_saveMeasure = save;
}

bool DocumentIO::PlainLayerPicture(const CVandDoc& document, NyZazo& picture, bool keepOpacity) {
    const DocumentHeader& header = document.Header();
    const int slot = document.HeadLayer();
    if (!LayerStack::IsValidIndex(slot) || header.bitsPerPixel != 24 || header.colourCount != 0) return false;
    const LayerRecord& layer = document.Layer(slot);
    if (layer.next != -1 || layer.visible != 1 || layer.kind == LayerKind::Text || layer.transparency != 0 ||
        layer.effectOn != 0 || layer.x != 0 || layer.y != 0 || layer.width != header.width ||
        layer.height != header.height || layer.stride != PlaneStride(24, header.width) ||
        layer.pixels.size() != size_t(layer.pixelSize) || layer.alpha.size() != size_t(layer.planeSize))
        return false;
    // Opaque everywhere: the blend of a lone layer is then its own colour, trunc(1.0 × colour).
    const uint8_t* alpha = layer.alpha.data();
    const size_t n = layer.alpha.size();
    if (n > 0 && (alpha[0] != 255 || std::memcmp(alpha, alpha + 1, n - 1) != 0))
        return keepOpacity && LayerWithOpacity(layer, header, picture);
    // Every byte of the block, row padding included, is copied from the layer.
    if (!picture.CreateForWriting(header.width, header.height, 24, header.formatType) ||
        size_t(picture.header.biSizeImage) != layer.pixels.size())
        return false;
    std::memcpy(picture.bits, layer.pixels.data(), layer.pixels.size());
    return true;
}

int32_t DocumentIO::NextDocumentNumber() {
    static std::atomic<int32_t> next{1};
    int32_t number = next.load();
    while (number < INT32_MAX && !next.compare_exchange_weak(number, number + 1)) {
    }
    return number;
}

const char* DocumentIO::ExtensionFor(int formatType) { return PrimaryExtension(formatType); }

bool DocumentIO::NeedsSaveAs(const CVandDoc& document) {
    const NyZazo* composite = document.State().composite.get();
    if (document.PathName().empty() || !composite) return true;
    // Measurement documents are written back by the measuring side.
    return !CanSaveFormat(composite->formatType) && composite->formatType != kFormatMzr;
}

std::string DocumentIO::ProposedSaveName(std::string_view title) {
    std::string name(title);
    if (name.find_first_of("#%;/\\") != std::string::npos) name = texts::kUntitledSaveName;
    return name + ".qvx";
}

std::string DocumentIO::CompleteSaveName(std::string_view chosen, int formatType) {
    const std::u16string units = Utf8ToUtf16(chosen);
    const size_t from = units.size() > 5 ? units.size() - 5 : 0;
    std::string name(chosen);
    if (units.find(u'.', from) == std::u16string::npos && ExtensionFor(formatType)[0])
        name += std::string(".") + ExtensionFor(formatType);
    return name;
}

bool DocumentIO::ReadPicture(const std::string& path, int formatType, NyZazo& picture) {
    NyZazo read;
    read.frameIndex = picture.frameIndex;
    const bool ok = read.Load(path, formatType) && read.dib != nullptr;
    if (!ok) {
        picture.SetLastError(read.lastError);
        return false;
    }
    picture.TakeOver(read);
    return true;
}

bool DocumentIO::NewDocument(CVandDoc& document, const NewPictureSettings& settings) {
    const int w = settings.width, h = settings.height;
    const int bpp = settings.bitsPerPixel == 8 ? 8 : 24;
    if (w <= 0 || h <= 0 || !FitsPixelCap(w, h, bpp)) return false;
    NyZazo picture;
    if (!picture.Create(w, h, bpp, kFormatBmp)) return false;
    if (bpp == 8) picture.SetGreyPalette();  // index 255, the fill of new pixels, is white
    if (settings.background == NewPictureSettings::Colour) {
        const RGBQUAD c = settings.backgroundColour;
        for (int storedY = 0; storedY < h; ++storedY) {
            uint8_t* row = picture.Row(storedY);
            if (bpp == 24) {
                for (int x = 0; x < w; ++x) row[3 * x] = c.blue, row[3 * x + 1] = c.green, row[3 * x + 2] = c.red;
            } else {
                std::memset(row, picture.GetNearestIndex(c), size_t(w));
            }
        }
    }
    const uint8_t alpha = settings.background == NewPictureSettings::Transparent ? 0 : 255;
    document.SetPathName({});
    document.SetFileName(settings.name);
    return BuildFromImage(document, picture, settings.name, alpha);
}

bool DocumentIO::BuildFromImage(CVandDoc& document, NyZazo& picture, std::string_view pictureName,
                                uint8_t alphaFill) {
    DocumentState& state = document.State();
    if (!picture.dib || !picture.bits) {
        Show(texts::kFileDoesNotExist);
        state.composite.reset();
        return false;
    }
    const PictureDimensions size{picture.Width(), picture.Height(), picture.BitCount()};
    if (!WithinBudget(document, size.width, size.height, EstimateOpenBytes(size))) return false;
    // Opacity the picture carries goes to the layer's opacity plane.
    std::vector<uint8_t> opacity;
    const bool translucent = TakePictureOpacity(picture, opacity);
    auto composite = std::make_unique<NyZazo>();
    composite->TakeOver(picture);
    if (!composite->dib) return false;
    state.composite = std::move(composite);
    const NyZazo& image = *state.composite;

    LayerStack& stack = document.Stack();
    stack.Clear();
    state.header = DocumentHeader{};
    if (image.dpiX > 0 && image.dpiY > 0) {
        state.header.dpiX = image.dpiX;
        state.header.dpiY = image.dpiY;
    }
    state.selection = SelectionMask{};
    stack.headLayer = 0;
    LayerRecord& layer = stack.Layer(0);
    layer.inUse = 1;
    layer.visible = 1;
    layer.prev = layer.next = -1;
    layer.transparency = 0;
    SetFixedName(layer.name, Utf8ToUtf16(texts::kBackgroundLayerName));
    const int w = image.Width(), h = image.Height();
    const std::u16string name = Utf8ToUtf16(pictureName);
    LayerPlanesRequest request;
    request.slot = 0;
    request.name = name;
    request.formatType = uint8_t(image.formatType);
    request.bitsPerPixel = image.BitCount();
    request.colourCount = int(image.header.biClrUsed);
    request.alphaFill = alphaFill;
    request.layerWidth = request.documentWidth = w;
    request.layerHeight = request.documentHeight = h;
    request.paletteMode = kPaletteFromComposite;
    request.resetSelection = true;
    request.changed = 1;
    request.centre = true;
    // The picture's rows are laid out as the plane's: 4-byte aligned, bottom-up.
    if (int64_t(image.rowBytes) == PlaneStride(image.BitCount(), w)) request.pixelsFrom = image.bits;
    if (!stack.CreateLayerPlanes(request)) {
        stack.Clear();
        state.composite.reset();
        return false;
    }
    if (!request.pixelsFrom) {
        const size_t rowBytes = std::min<size_t>(size_t(layer.stride), image.rowBytes);
        for (int storedY = 0; storedY < h; ++storedY)
            std::memcpy(layer.PixelRow(storedY), image.Row(storedY), rowBytes);
    }
    if (translucent && opacity.size() == layer.alpha.size()) layer.alpha = std::move(opacity);
    // The layer holds the pixels now; the composite keeps only the picture's information.
    state.composite->Destroy();
    state.header.originX = layer.x;
    state.header.originY = layer.y;
    FinishOpening(document, 0);
    return true;
}

bool DocumentIO::InstallLayers(CVandDoc& document, DocumentHeader& header, LayerRecord* layers, int headLayer,
                               int formatType) {
    DocumentState& state = document.State();
    LayerStack& stack = document.Stack();
    stack.Clear();
    state.header = std::move(header);
    for (int i = 0; i < kMaxLayers; ++i) stack.Layer(i) = std::move(layers[i]);
    stack.headLayer = headLayer;
    state.composite = std::make_unique<NyZazo>(formatType);
    state.composite->SetDpiX(state.header.dpiX);
    state.composite->SetDpiY(state.header.dpiY);
    // What CreateLayerPlanes would have left: a full selection mask of the bottom layer's size.
    const LayerRecord& bottom = stack.Layer(stack.headLayer);
    state.selection = SelectionMask{};
    try {
        state.selection.mask.assign(size_t(bottom.planeSize), 1);
    } catch (const std::bad_alloc&) {
        stack.Clear();
        return false;
    }
    state.selection.width = bottom.width;
    state.selection.height = bottom.height;
    state.selection.x = bottom.x;
    state.selection.y = bottom.y;
    state.header.scratchSize = bottom.pixelSize;
    return true;
}

void DocumentIO::FinishOpening(CVandDoc& document, int layer) {
    document.SetDocumentNumber(NextDocumentNumber());
    if (!document.SelectLayer(layer)) document.Stack().currentLayer = layer;
    const DocumentHeader& header = document.Header();
    document.Visible() = VisibleArea{0, 0, header.width, header.height};
    if (header.bitsPerPixel < 24) ConvertToRgb(document);
    const int current = document.CurrentLayer();
    if (LayerStack::IsValidIndex(current)) document.Layer(current).kind = LayerKind::Background;
    document.RecordStep(texts::kStepOpening, StepCode::Pixels, current);
}

PlaneView ViewOfLayer(const LayerRecord& layer, const DocumentHeader& header) {
    PlaneView view;
    view.pixels = layer.pixels.data();
    view.width = layer.width;
    view.height = layer.height;
    view.bitsPerPixel = header.bitsPerPixel;
    view.stride = uint32_t(layer.stride);
    view.palette = header.palette.empty() ? nullptr : header.palette.data();
    view.colourCount = uint32_t(header.palette.size());
    return view;
}

bool DocumentIO::ConvertToRgb(CVandDoc& document) {
    DocumentHeader& header = document.Header();
    if (header.bitsPerPixel >= 24) return true;
    LayerStack& stack = document.Stack();
    // Every layer is converted (not only the current one) so the table keeps one depth.
    for (int i = 0; i < kMaxLayers; ++i) {
        LayerRecord& layer = stack.Layer(i);
        if (!layer.inUse || layer.kind == LayerKind::Text || layer.pixels.empty()) continue;
        const PlaneView view = ViewOfLayer(layer, header);
        const int64_t stride = PlaneStride(24, layer.width);
        if (uint64_t(stride) * uint64_t(layer.height) > kMaxPixelBytes) return false;
        std::vector<uint8_t> rgb;
        try {
            rgb.assign(size_t(stride) * size_t(layer.height), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!RgbPlane(view, rgb.data(), uint32_t(stride))) return false;
        layer.pixels = std::move(rgb);
        layer.stride = int32_t(stride);
        layer.pixelSize = int32_t(stride * layer.height);
    }
    header.bitsPerPixel = 24;
    header.colourCount = 0;
    header.palette.clear();
    header.imageSize = int32_t(int64_t(header.height) * PlaneStride(24, header.width));
    const int current = document.CurrentLayer();
    if (LayerStack::IsValidIndex(current)) header.scratchSize = document.Layer(current).pixelSize;
    return true;
}

int DocumentIO::NextDuplicateNumber() {
    static std::atomic<int> next{1};
    return next.fetch_add(1);
}

namespace {

// The picture pasted into a fresh document and the stack flattened, as the
// duplicate and cut-out commands do.
bool PasteAndFlatten(CVandDoc& target, const LayerPicture& picture) {
    if (!target.SelectLayer(0)) return false;
    if (PasteLayerPicture(target, picture) < 0) return false;
    target.RecordStep(texts::kStepPaste, StepCode::LayerPasted, target.CurrentLayer());
    return target.Flatten();
}

void NameDocument(CVandDoc& target, std::string_view name) {
    SetFixedName(target.Header().name, Utf8ToUtf16(name));
    target.SetFileName(target.PictureName());
}

// A copy or a cut-out of a picture keeps the size of its pixels.
void TakeResolution(CVandDoc& target, const CVandDoc& source) {
    DocumentHeader& header = target.Header();
    header.dpiX = source.Header().dpiX;
    header.dpiY = source.Header().dpiY;
    if (NyZazo* composite = target.Composite()) {
        composite->SetDpiX(header.dpiX);
        composite->SetDpiY(header.dpiY);
    }
}

}  // namespace

bool DocumentIO::DuplicateDocument(CVandDoc& source, CVandDoc& target, NewPictureSettings& settings) {
    const int current = source.CurrentLayer();
    if (!source.IsLayerInList(current)) return false;
    // The picture travels through the clipboard, as a copy and paste would take it.
    LayerPicture picture;
    if (!CopyToClipboard(source) || !PictureFromClipboard(picture)) return false;
    settings.width = source.Header().width;
    settings.height = source.Header().height;
    settings.bitsPerPixel = source.Header().bitsPerPixel;
    if (!target.NewDocument(settings) || !PasteAndFlatten(target, picture)) return false;
    char name[512];
    std::snprintf(name, sizeof name, texts::kDuplicateNameFormat, NextDuplicateNumber(), source.PictureName().c_str());
    NameDocument(target, name);
    TakeResolution(target, source);
    target.NotifyChanged();
    return true;
}

bool DocumentIO::NewFromSelection(CVandDoc& source, CVandDoc& target, NewPictureSettings& settings) {
    if (!source.State().selection.ActiveOrSuspended()) {
        Show(texts::kSelectAreaFirst);
        return false;
    }
    const int current = source.CurrentLayer();
    if (!source.IsLayerInList(current)) return false;
    // The picture travels through the clipboard, as a copy and paste would take it.
    LayerPicture picture;
    if (!CopyToClipboard(source) || !PictureFromClipboard(picture)) return false;
    // The new picture takes the part's full height.
    settings.width = picture.width;
    settings.height = picture.height;
    settings.bitsPerPixel = source.Header().bitsPerPixel;
    constexpr int kMaxSide = 4000;
    if (picture.width < 1 || picture.height < 1 || picture.width > kMaxSide || picture.height > kMaxSide)
        return false;
    if (!target.NewDocument(settings) || !PasteAndFlatten(target, picture)) return false;
    NameDocument(target, texts::kUntitledPicture);
    TakeResolution(target, source);
    target.Layer(target.HeadLayer()).kind = LayerKind::Background;
    target.NotifyChanged();
    return true;
}

bool DocumentIO::Open(CVandDoc& document, const std::string& path, NyZazo* preread, int page) {
    if (path.empty()) return false;
    const int type = FormatFromExtension(ExtensionOf(path));
    if (type == kFormatUndetermined) return false;
    const size_t nameStart = FileNameStart(path);
    if (Utf8ToUtf16(std::string_view(path).substr(0, nameStart)).size() >= size_t(kNameUnits)) {
        Show(texts::kPathTooLong);
        return false;
    }
    document.SetFileName(path.substr(nameStart));
    std::error_code error;
    if (type == kFormatQvx) {
        const uint64_t fileBytes = std::filesystem::file_size(path, error);
        if (!error && !WithinBudget(document, 0, 0, EstimateNativeOpenBytes(fileBytes))) return false;
        return OpenNative(document, path);
    }
    // Judged from the header before decoding, so a small file claiming a huge picture costs nothing.
    PictureDimensions size;
    if (ProbePictureFile(path, type, size) && !WithinBudget(document, size.width, size.height, EstimateOpenBytes(size)))
        return false;
    if (type == kFormatMzr && g_openMeasure) {
        if (!g_openMeasure(document, path)) {
            Show(texts::kCannotOpenFile);
            return false;
        }
        document.SetPathName(path);
        return true;
    }
    NyZazo picture;
    picture.frameIndex = page;
    const bool handed = type == kFormatPsd && preread && preread->dib && picture.TakeOver(*preread);
    // Without the measuring side a measurement document cannot be opened.
    if (type == kFormatMzr || (!handed && !ReadPicture(path, type, picture))) {
        Show(texts::kCannotOpenFile);
        document.SetLastError(picture.lastError);
        document.State().composite.reset();
        return false;
    }
    document.SetPathName(path);
    const bool incomplete = picture.incomplete != 0;
    if (!BuildFromImage(document, picture, path, 255)) return false;
    if (incomplete) Show(texts::kPictureIncomplete);
    return true;
}

bool DocumentIO::Save(CVandDoc& document, const std::string& path, const SaveOptions& options) {
    const int type = FormatFromExtension(ExtensionOf(path));
    document.SetLastError({});
    bool saved = false;
    switch (type) {
        case kFormatQvx: saved = SaveNative(document, path); break;
        case kFormatBmp:
        case kFormatJpeg:
        case kFormatGif:
        case kFormatTiff:
        case kFormatPng:
        case kFormatWebp: saved = SaveImage(document, path, type, options); break;
        case kFormatMzr: saved = g_saveMeasure && g_saveMeasure(document, path); break;
        default:  // PCX and PSD are read only
            document.SetLastError(texts::kCannotWriteFile);
            return false;
    }
    if (saved) {
        document.SetModified(false);
        document.SetPathName(path);
    }
    return saved;
}

}  // namespace quillory
