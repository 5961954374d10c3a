#include "core/FormatCodes.h"

#include <cctype>
#include <cstring>

#include "core/CoreTexts.h"
#include "core/DibTypes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoBMP.h"
#include "core/NyZazoGIF.h"
#include "core/NyZazoJPG.h"
#include "core/NyZazoPCX.h"
#include "core/NyZazoPNG.h"
#include "core/NyZazoWEBP.h"
#include "core/NyZazoTIF.h"
#include "core/PsdReader.h"

namespace quillory {

namespace {

// Every codec runs on an object of its own, so a failing decoder never damages the target.
template <typename Codec, bool kCarriesFrameIndex>
bool DecodeWith(NyZazo& target, ImageStream& stream, bool copyError) {
    Codec codec;
    // GIF and TIFF read the frame or page the target asks for.
    if (kCarriesFrameIndex) codec.frameIndex = target.frameIndex;
    if (!codec.Decode(stream)) {
        if (copyError) target.SetLastError(codec.lastError);
        return false;
    }
    // The codec's own code, from a fresh object once: some codecs carry large tables.
    static const int code = Codec().formatType;
    if (!target.TakeOver(codec)) return target.Fail(texts::kCannotAllocate);
    // Decoders create their pictures with code 0; record the format that was read.
    target.formatType = int8_t(code);
    return true;
}

bool DecodePsd(NyZazo& target, ImageStream& stream, bool copyError) {
    NyZazo read(kFormatPsd);
    if (!ReadPsdStream(stream, read)) {
        if (copyError) target.SetLastError(read.lastError);
        return false;
    }
    if (!target.TakeOver(read)) return target.Fail(texts::kCannotAllocate);
    target.formatType = kFormatPsd;
    return true;
}

template <typename Codec>
bool EncodeWith(NyZazo& picture, ImageStream& stream) {
    Codec codec;
    codec.ShareFrom(picture);
    const bool ok = codec.Encode(stream);
    if (!ok) picture.SetLastError(codec.lastError);
    return ok;
}

bool StartsWith(const uint8_t* head, size_t n, const char* magic, size_t magicBytes) {
    return n >= magicBytes && std::memcmp(head, magic, magicBytes) == 0;
}

bool JpegSignature(const uint8_t* h, size_t n) { return n >= 2 && h[0] == 0xFF && h[1] == 0xD8; }

// "BM", or a file without file header that starts with an info header whose size
// the BMP reader takes (12 for OS/2, 16 and more for the others).
bool BmpSignature(const uint8_t* h, size_t n) {
    if (StartsWith(h, n, "BM", 2)) return true;
    if (n < 4) return false;
    const uint32_t size = Le32(h);
    return size == 12 || (size >= 16 && size <= 65536);
}

bool GifSignature(const uint8_t* h, size_t n) { return StartsWith(h, n, "GIF8", 4); }

bool TiffSignature(const uint8_t* h, size_t n) {
    return StartsWith(h, n, "II*\0", 4) || StartsWith(h, n, "MM\0*", 4) || StartsWith(h, n, "II+\0", 4) ||
           StartsWith(h, n, "MM\0+", 4);
}

bool PcxSignature(const uint8_t* h, size_t n) { return n >= 3 && h[0] == 10 && h[2] == 1; }

bool PsdSignature(const uint8_t* h, size_t n) { return StartsWith(h, n, "8BPS", 4); }

bool PngSignature(const uint8_t* h, size_t n) { return StartsWith(h, n, "\x89PNG\r\n\x1a\n", 8); }

bool WebpSignature(const uint8_t* h, size_t n) { return n >= 12 && StartsWith(h, n, "RIFF", 4) && std::memcmp(h + 8, "WEBP", 4) == 0; }

const std::vector<FormatRow> kFormats = {
    {kFormatJpeg, "jpg", {"jpg", "jpeg", nullptr}, true, true, JpegSignature, DecodeWith<NyZazoJPG, false>,
     EncodeWith<NyZazoJPG>},
    {kFormatBmp, "bmp", {"bmp", nullptr}, true, true, BmpSignature, DecodeWith<NyZazoBMP, false>,
     EncodeWith<NyZazoBMP>},
    {kFormatGif, "gif", {"gif", nullptr}, true, true, GifSignature, DecodeWith<NyZazoGIF, true>,
     EncodeWith<NyZazoGIF>},
    {kFormatTiff, "tif", {"tif", "tiff", nullptr}, true, true, TiffSignature, DecodeWith<NyZazoTIF, true>,
     EncodeWith<NyZazoTIF>},
    {kFormatPcx, "pcx", {"pcx", nullptr}, true, false, PcxSignature, DecodeWith<NyZazoPCX, false>, nullptr},
    {kFormatQvx, "qvx", {"qvx", nullptr}, true, true, nullptr, nullptr, nullptr},
    {kFormatPsd, "psd", {"psd", nullptr}, true, false, PsdSignature, DecodePsd, nullptr},
    {kFormatPng, "png", {"png", nullptr}, true, true, PngSignature, DecodeWith<NyZazoPNG, false>,
     EncodeWith<NyZazoPNG>},
    {kFormatWebp, "webp", {"webp", nullptr}, true, true, WebpSignature, DecodeWith<NyZazoWEBP, false>,
     EncodeWith<NyZazoWEBP>},
    {kFormatMzr, "mzr", {"mzr", nullptr}, true, true, nullptr, nullptr, nullptr},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void AppendPatterns(std::string& out, const FormatRow& row, char separator) {
    for (bool upper : {false, true}) {
        for (const char* const* ext = row.extensions; *ext; ++ext) {
            if (!out.empty()) out += separator;
            out += "*.";
            for (const char* c = *ext; *c; ++c)
                out += upper ? char(std::toupper(static_cast<unsigned char>(*c))) : *c;
        }
    }
}

}  // namespace

const std::vector<FormatRow>& FormatTable() { return kFormats; }

const FormatRow* FindFormat(int code) {
    for (const FormatRow& row : kFormats)
        if (row.code == code) return &row;
    return nullptr;
}

const FormatRow* FindFormatByExtension(std::string_view extension) {
    if (extension.empty()) return nullptr;
    for (const FormatRow& row : kFormats)
        for (const char* const* ext = row.extensions; *ext; ++ext)
            if (SameIgnoringCase(extension, *ext)) return &row;
    return nullptr;
}

int FormatFromExtension(std::string_view extension) {
    const FormatRow* row = FindFormatByExtension(extension);
    return row ? row->code : kFormatUndetermined;
}

std::string ExtensionOf(std::string_view path) {
    size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

const char* PrimaryExtension(int code) {
    const FormatRow* row = FindFormat(code);
    return row ? row->extensions[0] : "";
}

bool CanSaveFormat(int code) {
    const FormatRow* row = FindFormat(code);
    return row && row->canSave;
}

bool CanSaveExtension(std::string_view extension) {
    const FormatRow* row = FindFormatByExtension(extension);
    return row && row->canSave;
}

std::string FormatPatterns(int code, char separator) {
    std::string out;
    if (const FormatRow* row = FindFormat(code)) AppendPatterns(out, *row, separator);
    return out;
}

std::string AllPicturesPatterns(char separator) {
    std::string out;
    for (const FormatRow& row : kFormats)
        if (row.canOpen) AppendPatterns(out, row, separator);
    return out;
}

const std::vector<FileTypeRow>& FileTypeTable() {
    // Built once from the format table; the texts live as long as the program.
    struct Built {
        std::vector<std::string> patterns;
        std::vector<FileTypeRow> rows;
    };
    static const Built built = [] {
        Built b;
        b.patterns.reserve(kFormats.size() + 1);
        for (const FormatRow& row : kFormats)
            if (row.canOpen || row.canSave) b.patterns.push_back(FormatPatterns(row.code));
        b.patterns.push_back(AllPicturesPatterns());
        size_t next = 0;
        for (const FormatRow& row : kFormats)
            if (row.canOpen || row.canSave)
                b.rows.push_back({row.code, row.canOpen, row.canSave, row.name, b.patterns[next++].c_str()});
        // "All pictures" is for finding files; a picture is saved in one format.
        b.rows.push_back({kAllPicturesId, true, false, texts::kAllPicturesName, b.patterns[next].c_str()});
        return b;
    }();
    return built.rows;
}

std::string FileTypePatterns(int formatId) {
    for (const auto& row : FileTypeTable())
        if (row.formatId == formatId) return row.patterns;
    return {};
}

int FileTypeSaveFlag(int formatId) {
    for (const auto& row : FileTypeTable())
        if (row.formatId == formatId) return row.save ? 1 : 0;
    return 0;
}

std::string FileTypeFilterList(bool forSave) {
    std::string out;
    for (const auto& row : FileTypeTable()) {
        if (!(forSave ? row.save : row.open)) continue;
        out += row.name;
        out += '\0';
        out += row.patterns;
        out += '\0';
    }
    return out;
}

}  // namespace quillory
