#include "extras/ScreenCapture.h"

#include <algorithm>

namespace quillory {

std::vector<ScreenWindow> CaptureCandidates(const std::vector<ScreenWindow>& windows) {
    std::vector<ScreenWindow> shown;
    for (const ScreenWindow& w : windows) {
        if (int(shown.size()) >= kMaxCaptureWindows) break;
        if (!w.visible || w.minimised || w.title.empty()) continue;
        if (w.clientWidth < kMinCaptureClientSide || w.clientHeight < kMinCaptureClientSide) continue;
        shown.push_back(w);
    }
    return shown;
}

CaptureArea ClipToScreen(int x, int y, int width, int height, int screenWidth, int screenHeight) {
    CaptureArea a;
    const int64_t right = std::min<int64_t>(int64_t(x) + width, screenWidth);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, screenHeight);
    int64_t left = x, top = y;
    if (left < 0) a.offsetX = int(-left), left = 0;
    if (top < 0) a.offsetY = int(-top), top = 0;
    a.screenX = int(left);
    a.screenY = int(top);
    a.width = int(std::max<int64_t>(0, right - left));
    a.height = int(std::max<int64_t>(0, bottom - top));
    return a;
}

}  // namespace quillory
