#include "document/TempFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>

namespace quillory {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderPrefix = "proc-";
constexpr const char* kLockSuffix = ".lock";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// True when the open descriptor still is the file at `path`: a lock taken on a
// file that a clean-up has meanwhile unlinked protects nothing.
bool SameFile(int fd, const std::string& path) {
    struct stat open {}, named {};
    if (fstat(fd, &open) != 0 || stat(path.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::string UniqueStem() {
    static std::atomic<unsigned> counter{0};
    static std::mt19937_64 generator{std::random_device{}()};
    static std::mutex generatorMutex;
    uint64_t random;
    {
        std::lock_guard lock(generatorMutex);
        random = generator();
    }
    char stem[96];
    std::snprintf(stem, sizeof stem, "%s%ld-%u-%08llx", kFolderPrefix, long(getpid()), counter.fetch_add(1),
                  static_cast<unsigned long long>(random & 0xffffffffULL));
    return stem;
}

}  // namespace

TempFolder::~TempFolder() { Close(); }

std::string TempFolder::UserDataDirectory() {
    if (const char* home = std::getenv("QUILLORY_HOME"); home && *home) return home;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return (fs::path(xdg) / "Quillory").string();
    if (const char* home = std::getenv("HOME"); home && *home)
        return (fs::path(home) / ".local" / "share" / "Quillory").string();
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    return (base / ("Quillory-" + std::to_string(getuid()))).string();
}

bool TempFolder::Open(const std::string& dataDirectory, std::string& error) {
    Close();
    const fs::path tmp = fs::path(dataDirectory) / "tmp";
    std::error_code ec;
    fs::create_directories(tmp, ec);
    if (ec || !fs::is_directory(tmp, ec)) {
        error = "cannot create the temporary folder " + tmp.string();
        return false;
    }
    RemoveLeftovers(tmp.string());

    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string stem = UniqueStem();
        const std::string lockPath = (tmp / (stem + kLockSuffix)).string();
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            error = "cannot create the lock file " + lockPath;
            return false;
        }
        // Another process's clean-up may lock and unlink the new file before we
        // lock it; then start again under a new name.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !SameFile(fd, lockPath)) {
            ::close(fd);
            continue;
        }
        const fs::path folder = tmp / stem;
        fs::create_directory(folder, ec);
        if (ec) {
            ::unlink(lockPath.c_str());
            ::close(fd);
            error = "cannot create the temporary folder " + folder.string();
            return false;
        }
        m_lockFd = fd;
        m_lockPath = lockPath;
        m_path = folder.string();
        return true;
    }
    error = "cannot lock a temporary folder below " + tmp.string();
    return false;
}

void TempFolder::Close() {
    if (m_lockFd < 0) return;
    std::error_code ec;
    // The folder goes first, while the lock is still held, so nobody ever sees
    // a folder of a living process without its lock file.
    fs::remove_all(m_path, ec);
    ::unlink(m_lockPath.c_str());
    ::close(m_lockFd);
    m_lockFd = -1;
    m_path.clear();
    m_lockPath.clear();
}

int TempFolder::RemoveLeftovers(const std::string& tmpDirectory) {
    std::error_code ec;
    fs::directory_iterator it(tmpDirectory, ec);
    if (ec) return 0;
    std::vector<fs::path> locks, folders, looseFiles;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        std::error_code typeError;
        if (StartsWith(name, kFolderPrefix) && EndsWith(name, kLockSuffix) && entry.is_regular_file(typeError))
            locks.push_back(entry.path());
        else if (StartsWith(name, kFolderPrefix) && entry.is_directory(typeError))
            folders.push_back(entry.path());
        else if (EndsWith(name, ".qvxtmp") && entry.is_regular_file(typeError))
            looseFiles.push_back(entry.path());
    }

    int removed = 0;
    for (const fs::path& lock : locks) {
        const std::string lockPath = lock.string();
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        // A lock that cannot be had belongs to a running process.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, lockPath)) {
            fs::path folder = lock;
            folder.replace_extension();
            std::error_code removeError;
            if (fs::remove_all(folder, removeError) > 0) ++removed;
            ::unlink(lockPath.c_str());
        }
        ::close(fd);
    }
    // A folder whose lock file is gone has no owner: a living owner keeps its
    // lock file until its folder is removed.
    for (const fs::path& folder : folders) {
        fs::path lock = folder;
        lock += kLockSuffix;
        std::error_code existsError;
        if (fs::exists(lock, existsError) || existsError) continue;
        std::error_code removeError;
        if (fs::remove_all(folder, removeError) > 0) ++removed;
    }
    for (const fs::path& file : looseFiles) {
        std::error_code removeError;
        fs::remove(file, removeError);
    }
    return removed;
}

TempFolder* TempFolder::ForProcess(std::string* error) {
    static std::mutex mutex;
    static std::unique_ptr<TempFolder> folder;
    static std::string lastError;
    std::lock_guard lock(mutex);
    if (!folder) {
        auto made = std::make_unique<TempFolder>();
        if (!made->Open(UserDataDirectory(), lastError)) {
            if (error) *error = lastError;
            return nullptr;
        }
        folder = std::move(made);
    }
    return folder.get();
}

}  // namespace quillory
