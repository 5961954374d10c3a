#pragma once
// The process's own folder for temporary files (the undo history), below
// "<per-user data directory>/tmp". Several Quillory processes share "tmp": each
// one works in its own folder whose lock file it holds locked (flock) for its
// whole life, so the start-up clean-up of one process removes only folders of
// processes that are gone and never touches the files of a running one.
#include <string>

namespace quillory {

class TempFolder {
public:
    TempFolder() = default;
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // QUILLORY_HOME, else $XDG_DATA_HOME/Quillory, else ~/.local/share/Quillory,
    // else a folder below the system temporary folder.
    static std::string UserDataDirectory();

    // Creates "<dataDirectory>/tmp" when needed, removes what earlier processes
    // left there, and makes a new locked folder of this process. False with a
    // text when the folder cannot be made.
    [[nodiscard]] bool Open(const std::string& dataDirectory, std::string& error);
    bool IsOpen() const { return m_lockFd >= 0; }
    // The process's folder, without a trailing "/".
    const std::string& Path() const { return m_path; }
    // Removes the folder with everything in it and releases the lock.
    void Close();

    // Removes, below a "tmp" folder, every process folder whose lock is free (its
    // process has ended) and every loose "*.qvxtmp" file. Returns how many
    // folders were removed.
    static int RemoveLeftovers(const std::string& tmpDirectory);

    // The folder of this process, opened on first use below UserDataDirectory().
    // Null (and the reason in `error`) when it cannot be made.
    static TempFolder* ForProcess(std::string* error = nullptr);

private:
    std::string m_path;
    std::string m_lockPath;
    int m_lockFd = -1;
};

}  // namespace quillory
