#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "support/TestFiles.h"

using namespace quillory;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = test::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A small tmpfs mounted for one test (root only); unmounted with the object.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const fs::path& where, const char* options = "size=64k") : m_path(where) {
        fs::create_directories(where);
        m_mounted = ::geteuid() == 0 && ::mount("tmpfs", where.c_str(), "tmpfs", 0, options) == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    bool Remount(unsigned long flags, const char* options) {
        return ::mount("tmpfs", m_path.c_str(), "tmpfs", MS_REMOUNT | flags, options) == 0;
    }

private:
    fs::path m_path;
    bool m_mounted = false;
};

// The process number of a process that has ended.
pid_t EndedProcess() {
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status;
    ::waitpid(child, &status, 0);
    return child;
}

// Runs a check in a child process (for limits and identities the test must not keep);
// true when the child exits with 0.
template <typename Check>
bool InChild(Check check) {
    pid_t child = ::fork();
    if (child == 0) ::_exit(check() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void FillNoise(NyZazo& p) {
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < p.header.biSizeImage; ++i) {
        seed = seed * 1103515245u + 12345u;
        p.bits[i] = uint8_t(seed >> 16);
    }
}

}  // namespace

TEST(AtomicFileWriter, ReplacesTheFileAndKeepsItsPermissions) {
    test::TempDir dir;
    const std::string path = dir.File("settings.ini");
    ASSERT_TRUE(WriteFileAtomically(path, std::string_view("old")));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, std::string_view("new contents"), &error)) << error;
    EXPECT_EQ(ReadText(path), "new contents");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"settings.ini"});
}

TEST(AtomicFileWriter, NewFileGetsTheUsualPermissionsAndEmptyDataIsAFile) {
    test::TempDir dir;
    const mode_t mask = ::umask(022);
    const std::string path = dir.File("empty.txt");
    ASSERT_TRUE(WriteFileAtomically(path, std::string_view()));
    ::umask(mask);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(st.st_size, 0);
}

TEST(AtomicFileWriter, MissingFolderNamesTheFileAndTheReason) {
    test::TempDir dir;
    const std::string path = dir.File("no/such/folder/pic.bmp");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path, std::string_view("x"), &error));
    EXPECT_EQ(error, path + ": " + texts::kReasonFolderMissing);

    NyZazo p(3, 3, 24, kFormatBmp);
    EXPECT_FALSE(p.Save(path, kFormatBmp));
    EXPECT_EQ(std::string(p.lastError),
              std::string(texts::kCannotWriteFile) + " (" + path + ": " + texts::kReasonFolderMissing + ")");
}

TEST(AtomicFileWriter, AFolderIsNeverReplaced) {
    test::TempDir dir;
    fs::create_directories(dir.path() / "sub");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("sub"), std::string_view("x"), &error));
    EXPECT_TRUE(Contains(error, texts::kReasonIsFolder));
    EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));
}

TEST(AtomicFileWriter, DiscardedWriterLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.File("pic.gif");
    ASSERT_TRUE(WriteFileAtomically(path, std::string_view("old")));
    {
        AtomicFileWriter writer(path);
        ASSERT_TRUE(writer.Open());
        EXPECT_TRUE(IsAtomicTemporaryName(fs::path(writer.TemporaryPath()).filename().string()));
        EXPECT_EQ(fs::path(writer.TemporaryPath()).parent_path(), dir.path());
        ASSERT_EQ(writer.Stream().Write("half", 1, 4), 4u);
    }
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"pic.gif"});
}

TEST(AtomicFileWriter, ALinkStaysALinkAndItsFileIsReplaced) {
    test::TempDir dir;
    const std::string real = dir.File("real.txt");
    const std::string link = dir.File("link.txt");
    ASSERT_TRUE(WriteFileAtomically(real, std::string_view("old")));
    fs::create_symlink("real.txt", link);
    ASSERT_TRUE(WriteFileAtomically(link, std::string_view("new")));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(real), "new");
}

TEST(AtomicFileWriter, StaleTemporariesGoWhenNoRunningWriterHoldsThem) {
    test::TempDir dir;
    const std::string path = dir.File("pic.bmp");
    const std::string dead = std::to_string(EndedProcess());
    const std::string stale = "." + std::string("pic.bmp.quillory-tmp.") + dead + ".a1b2c3";
    const std::string otherStale = ".notes.txt.quillory-tmp." + dead + ".zzzzzz";
    const std::string stranger = ".pic.bmp.XXXXXX";
    for (const std::string& name : {stale, otherStale, stranger})
        ASSERT_TRUE(test::WriteFileBytes(dir.File(name), {1, 2, 3}));

    // A writer of this process holds its temporary file: a clean-up leaves it alone.
    AtomicFileWriter busy(dir.File("busy.txt"));
    ASSERT_TRUE(busy.Open());
    const std::string busyName = fs::path(busy.TemporaryPath()).filename().string();

    // A save of the same target removes only that target's stale temporaries.
    NyZazo p(2, 2, 24, kFormatBmp);
    ASSERT_TRUE(p.Save(path, kFormatBmp));
    EXPECT_FALSE(fs::exists(dir.File(stale)));
    EXPECT_TRUE(fs::exists(dir.File(otherStale)));

    // The start-up clean-up takes every stale one in the folder, but no held or foreign file.
    EXPECT_EQ(RemoveStaleTemporaries(dir.path().string()), 1);
    EXPECT_FALSE(fs::exists(dir.File(otherStale)));
    EXPECT_TRUE(fs::exists(dir.File(busyName)));
    EXPECT_TRUE(fs::exists(dir.File(stranger)));
    busy.Discard();
    EXPECT_FALSE(fs::exists(dir.File(busyName)));
}

TEST(AtomicFileWriter, TemporaryNamesAreRecognised) {
    EXPECT_TRUE(IsAtomicTemporaryName(".a.qvx.quillory-tmp.1234.AbC123"));
    EXPECT_FALSE(IsAtomicTemporaryName("a.qvx.quillory-tmp.1234.AbC123"));
    EXPECT_FALSE(IsAtomicTemporaryName(".a.qvx.quillory-tmp.12x4.AbC123"));
    EXPECT_FALSE(IsAtomicTemporaryName(".a.qvx.quillory-tmp.1234.AbC12"));
    EXPECT_FALSE(IsAtomicTemporaryName(".a.qvx.XXXXXX"));
}

// A full disk: every picture format and the plain writer fail with the file's name
// and the reason, and the old file and the folder stay as they were.
TEST(AtomicFileWriter, FullFileSystemKeepsTheOldFile) {
    test::TempDir dir;
    const fs::path mountPoint = dir.path() / "small";
    SmallFileSystem small(mountPoint);
    const std::string oldText = "the picture that was there";
    NyZazo big(200, 200, 24, kFormatBmp);  // 120 KB of pixels: larger than the file system
    FillNoise(big);
    NyZazo larger(400, 400, 24, kFormatBmp);  // lossy WebP packs noise to less than its pixels
    FillNoise(larger);
    NyZazo withOpacity(200, 200, 32, kFormatPng);  // written lossless as WebP
    FillNoise(withOpacity);
    NyZazo palette(400, 400, 8, kFormatBmp);
    for (int i = 0; i < 256; ++i) palette.SetPaletteColour(i, uint8_t(i * 7), uint8_t(i * 13), uint8_t(i));
    for (uint32_t i = 0; i < palette.header.biSizeImage; ++i) palette.bits[i] = uint8_t((i * 2654435761u) >> 24);

    struct Case {
        const char* name;
        int format;
        const NyZazo* picture;
        const char* text;
    };
    const Case cases[] = {
        {"pic.bmp", kFormatBmp, &big, texts::kCannotWriteFile},
        {"pic.jpg", kFormatJpeg, &big, nullptr},  // the library's own message
        {"pic.gif", kFormatGif, &palette, texts::kGifWriteError},
        {"pic.tif", kFormatTiff, &palette, nullptr},
        {"pic.png", kFormatPng, &big, nullptr},
        {"pic.webp", kFormatWebp, &larger, texts::kWebpWriteFailed},
        {"alpha.webp", kFormatWebp, &withOpacity, texts::kWebpWriteFailed},
    };
    auto check = [&](const fs::path& folder, const char* reason) {
        bool ok = true;
        for (const Case& c : cases) {
            const std::string path = (folder / c.name).string();
            if (!WriteFileAtomically(path, std::string_view(oldText))) return false;
            NyZazo copy(*c.picture, true);
            const bool saved = copy.Save(path, c.format);
            const std::string error = copy.lastError;
            ok = ok && !saved && ReadText(path) == oldText;
            ok = ok && Contains(error, path) && Contains(error, reason);
            if (c.text) ok = ok && error.rfind(c.text, 0) == 0;
            if (!ok) ADD_FAILURE() << c.name << ": " << error;
        }
        std::string error;
        const bool plain = !WriteFileAtomically((folder / "plain.txt").string(), std::string(100000, 'x'), &error);
        if (!plain || !Contains(error, reason)) {
            ADD_FAILURE() << "plain write: " << error;
            ok = false;
        }
        std::vector<std::string> expected = {"alpha.webp", "pic.bmp", "pic.gif", "pic.jpg",
                                             "pic.png",    "pic.tif", "pic.webp"};
        if (FolderEntries(folder) != expected) {
            ADD_FAILURE() << "temporary files were left behind";
            ok = false;
        }
        return ok;
    };

    if (small.mounted()) {
        EXPECT_TRUE(check(mountPoint, texts::kReasonDiskFull));
        // A read-only file system refuses the temporary file with its own reason.
        ASSERT_TRUE(small.Remount(MS_RDONLY, "size=64k"));
        std::string error;
        EXPECT_FALSE(WriteFileAtomically((mountPoint / "pic.bmp").string(), std::string_view("new"), &error));
        EXPECT_TRUE(Contains(error, texts::kReasonReadOnly)) << error;
        EXPECT_EQ(ReadText((mountPoint / "pic.bmp").string()), oldText);
    } else {
        // Without a file system of our own, a file size limit makes the writes fail.
        fs::create_directories(mountPoint);
        EXPECT_TRUE(InChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{32768, 32768};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return check(mountPoint, texts::kReasonFileTooLarge);
        }));
    }
}

// Root passes permission checks, so the check runs as an ordinary user in a child.
TEST(AtomicFileWriter, LockedFolderSaysNoPermission) {
    test::TempDir dir;
    const fs::path locked = dir.path() / "locked";
    fs::create_directories(locked);
    const std::string path = (locked / "pic.bmp").string();
    ASSERT_TRUE(WriteFileAtomically(path, std::string_view("old")));
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    EXPECT_TRUE(InChild([&] {
        if (::geteuid() == 0 && ::setuid(65534) != 0) return false;
        NyZazo p(2, 2, 24, kFormatBmp);
        return !p.Save(path, kFormatBmp) && Contains(p.lastError, texts::kReasonNoPermission) &&
               Contains(p.lastError, path);
    }));
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(ReadText(path), "old");
}
