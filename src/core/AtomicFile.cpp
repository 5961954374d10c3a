#include "core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

#include "core/CoreTexts.h"

namespace quillory {

namespace {

constexpr std::string_view kTemporaryMark = ".quillory-tmp.";
// Bytes of the target's name kept in a temporary name, so that the whole name
// stays within the 255 bytes a file name may have.
constexpr size_t kNameBytesKept = 200;
// A temporary file that nobody locks and that is older than this is stale even
// when its process number now belongs to another program.
constexpr time_t kStaleAfterSeconds = 3600;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The target's name as it appears in its temporary names: cut on a character boundary.
std::string KeptName(const std::string& name) {
    if (name.size() <= kNameBytesKept) return name;
    size_t end = kNameBytesKept;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

std::string TemporaryPrefix(const std::string& targetName) {
    return "." + KeptName(targetName) + std::string(kTemporaryMark);
}

// A symbolic link is replaced through what it points to, so the link stays a link.
std::string ResolveLinks(std::string path) {
    for (int hop = 0; hop < 16; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), PATH_MAX);
        if (n <= 0) break;
        std::string link(buffer.data(), size_t(n));
        path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
    }
    return path;
}

mode_t CurrentUmask() {
    // /proc tells it without changing it; the fallback changes it for an instant.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The process number inside a temporary name, or -1 when the name has none.
long ProcessOf(std::string_view name) {
    const size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos) return -1;
    std::string_view rest = name.substr(mark + kTemporaryMark.size());
    const size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos || rest.size() - dot - 1 != 6) return -1;
    long pid = 0;
    for (char c : rest.substr(0, dot)) {
        if (c < '0' || c > '9' || pid > INT_MAX / 10) return -1;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool ProcessRuns(long pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); }

// Removes one temporary file when no writer holds its lock and its writer is gone.
bool RemoveIfStale(const std::string& path, std::string_view name) {
    const long pid = ProcessOf(name);
    if (pid < 0) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    bool removed = false;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        const bool old = std::time(nullptr) - st.st_mtime > kStaleAfterSeconds;
        if (!ProcessRuns(pid) || old) removed = ::unlink(path.c_str()) == 0;
    }
    ::close(fd);
    return removed;
}

int RemoveStaleWithPrefix(const std::string& folder, std::string_view prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!IsAtomicTemporaryName(name) || name.substr(0, prefix.size()) != prefix) continue;
        if (RemoveIfStale(folder + "/" + std::string(name), name)) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace

const char* FileErrorReason(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT: return texts::kReasonDiskFull;
        case EACCES:
        case EPERM: return texts::kReasonNoPermission;
        case EROFS: return texts::kReasonReadOnly;
        case ENOENT:
        case ENOTDIR: return texts::kReasonFileMissing;
        case EFBIG: return texts::kReasonFileTooLarge;
        case EISDIR: return texts::kReasonIsFolder;
        case EIO: return texts::kReasonInputOutput;
        default: return std::strerror(errorNumber);
    }
}

std::string WriteFailureDetail(std::string_view path, int errorNumber) {
    std::string out(path);
    if (errorNumber == 0) return out;
    // A writer meets ENOENT when the folder of the path does not exist.
    out += ": ";
    out += (errorNumber == ENOENT || errorNumber == ENOTDIR) ? texts::kReasonFolderMissing
                                                              : FileErrorReason(errorNumber);
    return out;
}

std::string FileFailureText(std::string_view text, std::string_view detail) {
    std::string out(text);
    out += " (";
    out += detail;
    out += ")";
    return out;
}

bool IsAtomicTemporaryName(std::string_view name) { return !name.empty() && name[0] == '.' && ProcessOf(name) >= 0; }

int RemoveStaleTemporariesOf(const std::string& targetPath) {
    const std::string target = ResolveLinks(targetPath);
    return RemoveStaleWithPrefix(FolderOf(target), TemporaryPrefix(NameOf(target)));
}

int RemoveStaleTemporaries(const std::string& folder) { return RemoveStaleWithPrefix(folder, "."); }

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : m_target(std::move(targetPath)) {}

AtomicFileWriter::~AtomicFileWriter() {
    if (!m_committed) Discard();
}

bool AtomicFileWriter::FailWith(int errorNumber) {
    m_errno = errorNumber ? errorNumber : EIO;
    m_error = WriteFailureDetail(m_target, m_errno);
    Discard();
    return false;
}

bool AtomicFileWriter::Open() {
    Discard();
    m_committed = false;
    m_error.clear();
    m_errno = 0;
    const std::string target = ResolveLinks(m_target);
    const std::string name = NameOf(target);
    if (name.empty() || name == "." || name == "..") return FailWith(EISDIR);
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FailWith(EISDIR);
    const std::string folder = FolderOf(target);
    RemoveStaleWithPrefix(folder, TemporaryPrefix(name));

    std::string pattern = folder + "/" + TemporaryPrefix(name) + std::to_string(::getpid()) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return FailWith(errno);
    m_fd = fd;
    m_temporary = pattern;
    // Held until the file is closed: a clean-up never takes a file that is being written.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    m_file = ::fdopen(fd, "wb");
    if (!m_file) return FailWith(errno);
    m_stream = std::make_unique<ImageStream>(m_file);
    return true;
}

bool AtomicFileWriter::Commit() {
    if (!m_file || !m_stream) return FailWith(EBADF);
    ImageStream& stream = *m_stream;
    if (stream.HasError() || stream.ErrorNumber() != 0) return FailWith(stream.ErrorNumber());
    if (stream.Flush() != 0) return FailWith(stream.ErrorNumber());
    const int fd = ::fileno(m_file);
    if (::fsync(fd) != 0) return FailWith(errno);

    const std::string target = ResolveLinks(m_target);
    struct stat old;
    if (::stat(target.c_str(), &old) == 0) {
        (void)::fchmod(fd, old.st_mode & 07777);
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) (void)::fchown(fd, old.st_uid, old.st_gid);
    } else {
        (void)::fchmod(fd, 0666 & ~CurrentUmask());
    }
    m_stream.reset();
    FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) return FailWith(errno);
    if (::rename(m_temporary.c_str(), target.c_str()) != 0) return FailWith(errno);
    m_temporary.clear();
    m_committed = true;
    const int folderFd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        (void)::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

void AtomicFileWriter::Discard() {
    m_stream.reset();
    if (m_file) {
        std::fclose(m_file);  // also closes the descriptor and drops the lock
        m_file = nullptr;
    } else if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error) {
    AtomicFileWriter writer(path);
    bool ok = writer.Open();
    // A short write leaves its error in the stream, where Commit finds it.
    if (ok && size > 0) (void)writer.Stream().Write(data, 1, size);
    ok = ok && writer.Commit();
    if (!ok && error) *error = writer.Error();
    return ok;
}

}  // namespace quillory
