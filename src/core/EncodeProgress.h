#pragma once
// The progress of a long loop over rows (an encoder writing a large picture), told
// to the platform's progress bar in whole percents, and only when the percent changes.
#include <algorithm>
#include <cstdint>

#include "core/Platform.h"

namespace quillory {

class EncodeProgress {
public:
    explicit EncodeProgress(int64_t rows) : m_rows(std::max<int64_t>(1, rows)) {}
    void Done(int64_t rows) {
        const int percent = int(std::clamp<int64_t>(rows * 100 / m_rows, 0, 100));
        if (percent == m_last) return;
        m_last = percent;
        CurrentPlatform().SetProgress(percent);
    }

private:
    int64_t m_rows;
    int m_last = -1;
};

}  // namespace quillory
