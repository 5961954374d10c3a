// The per-process temporary folder: where it lives, and that one process's
// start-up clean-up never touches a running process's files.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "document/TempFolder.h"
#include "support/TestFiles.h"

using namespace quillory;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old) setenv(m_name, m_old->c_str(), 1);
        else unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

}  // namespace

TEST(TempFolder, TheDataDirectoryComesFromTheEnvironment) {
    {
        ScopedEnv home("QUILLORY_HOME", "/data/q");
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(TempFolder::UserDataDirectory(), "/data/q");
    }
    {
        ScopedEnv home("QUILLORY_HOME", nullptr);
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(TempFolder::UserDataDirectory(), "/xdg/Quillory");
    }
    {
        ScopedEnv home("QUILLORY_HOME", "");
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        ScopedEnv user("HOME", "/home/u");
        EXPECT_EQ(TempFolder::UserDataDirectory(), "/home/u/.local/share/Quillory");
    }
}

TEST(TempFolder, EachOpenGetsItsOwnFolderThatCloseRemoves) {
    test::TempDir base;
    TempFolder a, b;
    std::string error;
    ASSERT_TRUE(a.Open(base.path().string(), error)) << error;
    ASSERT_TRUE(b.Open(base.path().string(), error)) << error;
    EXPECT_NE(a.Path(), b.Path());
    EXPECT_EQ(fs::path(a.Path()).parent_path(), base.path() / "tmp");
    Touch(fs::path(a.Path()) / "UD_1_0_0.qvxtmp");
    // Both are alive: a clean-up keeps them.
    EXPECT_EQ(TempFolder::RemoveLeftovers((base.path() / "tmp").string()), 0);
    EXPECT_TRUE(fs::exists(fs::path(a.Path()) / "UD_1_0_0.qvxtmp"));
    const std::string path = a.Path();
    a.Close();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(b.Path()));
}

TEST(TempFolder, AStartingProcessRemovesOnlyTheFilesOfEndedProcesses) {
    test::TempDir base;
    const fs::path tmp = base.path() / "tmp";
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another Quillory process: opens its folder, writes a step file, waits, ends without tidying up.
        TempFolder folder;
        std::string error;
        std::string path = folder.Open(base.path().string(), error) ? folder.Path() : "";
        if (!path.empty()) Touch(fs::path(path) / "UD_1_2_0.qvxtmp");
        path += "\n";
        (void)!write(toParent[1], path.data(), path.size());
        char c;
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    close(toParent[1]);
    close(toChild[0]);
    std::string other;
    char c;
    while (read(toParent[0], &c, 1) == 1 && c != '\n') other += c;
    ASSERT_FALSE(other.empty());
    const fs::path stepFile = fs::path(other) / "UD_1_2_0.qvxtmp";
    ASSERT_TRUE(fs::exists(stepFile));

    // Left-overs of this Quillory's earlier runs: a loose file, a folder without lock.
    Touch(tmp / "UD_1_0_0.qvxtmp");
    Touch(tmp / "notes.txt");
    fs::create_directory(tmp / "proc-1-0-deadbeef");

    TempFolder mine;
    std::string error;
    ASSERT_TRUE(mine.Open(base.path().string(), error)) << error;
    EXPECT_TRUE(fs::exists(stepFile)) << "a running process's undo file was deleted";
    EXPECT_FALSE(fs::exists(tmp / "UD_1_0_0.qvxtmp"));
    EXPECT_FALSE(fs::exists(tmp / "proc-1-0-deadbeef"));
    EXPECT_TRUE(fs::exists(tmp / "notes.txt"));

    // The other process ends without removing its folder; the next clean-up does.
    (void)!write(toChild[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    close(toParent[0]);
    close(toChild[1]);
    EXPECT_TRUE(fs::exists(other));
    EXPECT_EQ(TempFolder::RemoveLeftovers(tmp.string()), 1);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(other + ".lock"));
    EXPECT_TRUE(fs::exists(mine.Path()));
}

TEST(TempFolder, AnUnusableDataDirectoryFailsWithAText) {
    test::TempDir base;
    Touch(base.path() / "file");
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(folder.Open((base.path() / "file").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(folder.IsOpen());
}
