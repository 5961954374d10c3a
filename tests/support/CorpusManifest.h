#pragma once
// Rows of the corpus MANIFEST.tsv.
#include <string>
#include <vector>

namespace quillory::test {

struct CorpusEntry {
    std::string path;     // relative to the corpus folder, e.g. "tiff/hopper.tif"
    std::string format;   // folder name
    std::string bestRef;  // relative path of the reference PNG, empty when there is none
    int frames = 1;
};

// The rows of one format folder, in manifest order; empty without a corpus.
std::vector<CorpusEntry> CorpusEntries(const std::string& format);

}  // namespace quillory::test
