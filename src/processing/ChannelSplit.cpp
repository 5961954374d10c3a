#include "processing/ChannelSplit.h"

#include <algorithm>
#include <memory>

#include "core/SizeMath.h"
#include "processing/PixelAccess.h"
#include "processing/Yuv.h"

namespace quillory {

void RgbToHsl(int red, int green, int blue, uint8_t out[3]) {
    const int mx = std::max({red, green, blue}), mn = std::min({red, green, blue});
    const int lightness = ((mx + mn) * 255 + 255) / 510;
    out[2] = uint8_t(lightness);
    if (mx == mn) {
        out[0] = 170;
        out[1] = 0;
        return;
    }
    const int d = mx - mn;
    const int s = lightness < 128 ? mx + mn : 510 - mx - mn;
    out[1] = uint8_t(std::min(255, (d * 255 + s / 2) / s));
    const int rd = ((mx - red) * 42 + d / 2) / d;
    const int gd = ((mx - green) * 42 + d / 2) / d;
    const int bd = ((mx - blue) * 42 + d / 2) / d;
    int hue;
    if (red == mx)
        hue = bd - gd;
    else if (green == mx)
        hue = rd - bd + 85;
    else
        hue = gd - rd + 170;
    out[0] = uint8_t(hue & 0xFF);  // negative hues wrap
}

void ChannelValues(ChannelModel model, RGBQUAD c, uint8_t out[3]) {
    switch (model) {
        case ChannelModel::Yuv: {
            const Yuv yuv = RgbToYuv(c.red, c.green, c.blue);
            out[0] = yuv.y, out[1] = yuv.u, out[2] = yuv.v;
            break;
        }
        case ChannelModel::Hsl: RgbToHsl(c.red, c.green, c.blue, out); break;
        default: out[0] = c.red, out[1] = c.green, out[2] = c.blue; break;
    }
}

bool SplitChannels(const Planes& layer, const PaletteRef& palette, const LayerPlacement& place, ChannelModel model,
                   NyZazo* out[3]) {
    const int w = place.documentWidth, h = place.documentHeight;
    if (!layer.IsValid() || !FitsPixelCap(w, h, 8)) return false;
    std::unique_ptr<NyZazo> made[3];
    for (auto& image : made) {
        image = std::make_unique<NyZazo>();
        if (!image->Create(w, h, 8, 1)) return false;
        image->SetGreyPalette();
    }
    uint8_t outside[3];
    ChannelValues(model, place.outside, outside);
    for (int storedY = 0; storedY < h; ++storedY) {
        // Document row d (from the bottom) shows layer row d + y.
        const int ly = storedY + place.y;
        uint8_t* rows[3] = {made[0]->Row(storedY), made[1]->Row(storedY), made[2]->Row(storedY)};
        for (int x = 0; x < w; ++x) {
            const int lx = x - place.x;
            uint8_t v[3] = {outside[0], outside[1], outside[2]};
            if (lx >= 0 && lx < layer.width && ly >= 0 && ly < layer.height) {
                int bgr[3];
                ColourAt(layer, palette, lx, ly, bgr);
                ChannelValues(model, RGBQUAD{uint8_t(bgr[0]), uint8_t(bgr[1]), uint8_t(bgr[2]), 0}, v);
            }
            rows[0][x] = v[0], rows[1][x] = v[1], rows[2][x] = v[2];
        }
    }
    for (int k = 0; k < 3; ++k) out[k]->TakeOver(*made[k]);
    return true;
}

}  // namespace quillory
