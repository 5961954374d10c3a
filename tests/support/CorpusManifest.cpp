#include "support/CorpusManifest.h"

#include <fstream>
#include <sstream>

#include "support/TestFiles.h"

namespace quillory::test {

std::vector<CorpusEntry> CorpusEntries(const std::string& format) {
    std::vector<CorpusEntry> out;
    std::ifstream in(CorpusDir() / "MANIFEST.tsv");
    std::string line;
    if (!std::getline(in, line)) return out;  // column names
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream columns(line);
        std::string field;
        while (std::getline(columns, field, '\t')) fields.push_back(field);
        fields.resize(12);
        if (fields[2] != format) continue;
        CorpusEntry e;
        e.path = fields[0];
        e.format = fields[2];
        e.bestRef = fields[10] == "-" ? std::string() : fields[10];
        e.frames = fields[6].empty() ? 1 : std::atoi(fields[6].c_str());
        out.push_back(e);
    }
    return out;
}

std::map<std::string, std::string> BestReferences(const std::string& format) {
    std::map<std::string, std::string> refs;
    for (const CorpusEntry& e : CorpusEntries(format)) refs[CorpusFileName(e.path)] = e.bestRef;
    return refs;
}

std::string CorpusFileName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace quillory::test
