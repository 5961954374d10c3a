#pragma once
// The one way the program replaces a file: the bytes go into a temporary file in
// the target's folder (".NAME.quillory-tmp.PID.XXXXXX"), which is flushed to disk,
// given the old file's permissions and renamed over the target. On any failure
// the temporary file goes and the old file stays as it was.
//
// A temporary file is locked while its writer lives, so a crashed or killed save
// leaves one that nobody holds; the next save of the same target, and the
// start-up clean-up of a folder, remove those.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "core/ImageStream.h"

namespace quillory {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter();  // discards an uncommitted temporary file

    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false (with Error()) when the folder cannot take it.
    [[nodiscard]] bool Open();
    // The stream the bytes go through (valid after a successful Open).
    ImageStream& Stream() { return *m_stream; }
    // Flushes, syncs and renames over the target; false (with Error()) on any failure,
    // the old file untouched.
    [[nodiscard]] bool Commit();
    // Throws the temporary file away; the target is untouched.
    void Discard();

    // Why the last step failed: "<target>: <reason>".
    const std::string& Error() const { return m_error; }
    // errno of the failure (0 when none was seen).
    int ErrorNumber() const { return m_errno; }
    const std::string& TargetPath() const { return m_target; }
    const std::string& TemporaryPath() const { return m_temporary; }

private:
    bool FailWith(int errorNumber);

    std::string m_target;
    std::string m_temporary;
    std::unique_ptr<ImageStream> m_stream;
    FILE* m_file = nullptr;
    int m_fd = -1;
    bool m_committed = false;
    std::string m_error;
    int m_errno = 0;
};

// Replaces the file at path with the bytes; false with "<path>: <reason>" in *error.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, const void* data, size_t size,
                                       std::string* error = nullptr);
[[nodiscard]] inline bool WriteFileAtomically(const std::string& path, std::string_view data,
                                              std::string* error = nullptr) {
    return WriteFileAtomically(path, data.data(), data.size(), error);
}

// Removes the temporary files of one target that no running writer holds.
// Returns how many were removed.
int RemoveStaleTemporariesOf(const std::string& targetPath);
// Removes every temporary file in a folder that no running writer holds (start-up clean-up).
int RemoveStaleTemporaries(const std::string& folder);

// True when a file name is one of the writer's temporary files.
bool IsAtomicTemporaryName(std::string_view fileName);

// The reason for a failed file operation, as the user reads it ("disk full", ...).
const char* FileErrorReason(int errorNumber);
// "<path>: <reason>" for a failed write (a missing folder is named as such).
std::string WriteFailureDetail(std::string_view path, int errorNumber);
// "<text> (<detail>)": a specified failure text with the file and the reason after it.
std::string FileFailureText(std::string_view text, std::string_view detail);

}  // namespace quillory
