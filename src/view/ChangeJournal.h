#pragma once
// What changed in a document's pixels, for the views that keep its composite:
// every change counts one generation and is either a picture region or the
// whole document. A view remembers the generation it last drew and asks what
// it has missed; when the journal no longer reaches that far back, everything.
#include <cstdint>
#include <deque>

#include "core/NyZazo.h"

namespace quillory {

class ChangeJournal {
public:
    uint64_t generation() const { return m_generation; }

    void ChangedAll() {
        ++m_generation;
        m_regions.clear();
        m_wholeAt = m_generation;
    }
    // A region of the picture, rows counted from the top.
    void ChangedRegion(const IntRect& region) {
        ++m_generation;
        m_regions.push_back(Entry{m_generation, region});
        if (m_regions.size() > kKept) m_regions.pop_front();
    }

    // Calls region(rect) for every region changed after `seen`, or returns false
    // when the whole document must be taken as changed.
    template <typename F>
    bool ChangesSince(uint64_t seen, F&& region) const {
        if (seen >= m_generation) return true;
        if (m_wholeAt > seen) return false;
        // Every generation after `seen` must still be in the journal.
        if (m_regions.empty() || m_regions.front().generation > seen + 1) return false;
        for (const Entry& e : m_regions)
            if (e.generation > seen) region(e.region);
        return true;
    }

private:
    struct Entry {
        uint64_t generation;
        IntRect region;
    };
    static constexpr size_t kKept = 256;
    uint64_t m_generation = 0;
    uint64_t m_wholeAt = 0;
    std::deque<Entry> m_regions;
};

}  // namespace quillory
