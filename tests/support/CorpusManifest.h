#pragma once
// Rows of the corpus MANIFEST.tsv.
#include <map>
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

// File name (without folder) -> best reference path of one format folder; empty when there is none.
std::map<std::string, std::string> BestReferences(const std::string& format);

// The file name part of a corpus path ("gif/a.gif" -> "a.gif").
std::string CorpusFileName(const std::string& path);

}  // namespace quillory::test
