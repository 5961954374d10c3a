// The settings files read and written without a window.
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "core/CoreTexts.h"

#include "shell/EnvSettings.h"
#include "ShellTestMain.h"

using namespace quillory;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Utf16Bytes(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += char(c & 0xFF), out += char(c >> 8);
    return out;
}

// A stored file with the given font line and names.
std::string StoredFile(const std::string& fontLine, const std::string& names) {
    return "FG255 BG16777215 TX65280 pFG1 pBG2\nFG: 3 X10 Y11\nBG: 4 X12 Y13\nTX: 5 X14 Y15\n" + fontLine +
           "\n\nFontStrikeOut 1\nFontUnderLine 0\n7 9\nGGap8 GClr12345 Cur2 Pnt3 -4 5\nFog 6\nTranspRep 2\n"
           "Folder: 1\nUD 1\nRS 77\nWS 4 1 9" +
           names;
}

}  // namespace

class SettingsFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyFieldRoundTripsInTheStoredOrder() {
        EnvSettings env;
        env.foreground = 0x123456;
        env.backgroundSpot = {7, -3, 99};
        env.fontSize = 33;
        env.brushSize = 12;
        env.gridSpacing = -24;  // hidden in memory, stored positive
        env.pointExtra1 = -5;
        env.rs = 42;
        env.ws1 = 8;
        env.openDialogAtStart = 1;
        env.ws3 = 5;
        env.faceName = u"나눔고딕";
        env.secondName = u"Serif\nname";  // a line break inside a raw name survives
        const std::string bytes = FormatSettings(env);
        QVERIFY(bytes.rfind("FG1193046 BG16777215 TX0 pFG0 pBG16777215\nFG: 0 X0 Y0\nBG: 7 X-3 Y99", 0) == 0);
        QVERIFY(bytes.find("\nFontSize 33 4 10\n\nFontStrikeOut 0") != std::string::npos);
        QVERIFY(bytes.find("\nGGap24 GClr8421504 Cur0 Pnt0 -5 0\nFog 0\nTranspRep 3\nFolder: 0\nUD 0\nRS 42\nWS 8 1 0\n") !=
                std::string::npos);

        EnvSettings back;
        back.gridSpacing = 1000;
        const SettingsReadReport report = ParseSettings(bytes, back);
        QCOMPARE(report.linesRead, 15);
        QVERIFY(report.namesRead);
        QCOMPARE(back.foreground, 0x123456);
        QCOMPARE(back.backgroundSpot.y, 99);
        QCOMPARE(back.gridSpacing, 24);
        QCOMPARE(back.rs, 42);
        QCOMPARE(back.ws3, 0);
        QVERIFY(back.faceName == u"나눔고딕");
        QVERIFY(back.secondName == u"Serif\nname");
    }

    void fontSizeAndNameLengthsAreClamped() {
        // Size 1 reads as 2; a length of 150 reads only 100 characters.
        std::u16string longName(150, u'가');
        EnvSettings env;
        ParseSettings(StoredFile("FontSize 1 150 2", "\n" + Utf16Bytes(longName) + "\nAB"), env);
        QCOMPARE(env.fontSize, 2);
        QCOMPARE(int(env.faceName.size()), 100);
        QVERIFY(env.faceName == std::u16string(100, u'가'));
        // The next "line break" is taken from the 101st character, so the second name is not read.
        QVERIFY(env.secondName.empty());

        EnvSettings negative;
        ParseSettings(StoredFile("FontSize -9 -4 2", "\n\n" + Utf16Bytes(u"XY")), negative);
        QCOMPARE(negative.fontSize, 2);
        QVERIFY(negative.faceName.empty());
        QVERIFY(negative.secondName == u"XY");
    }

    void brokenFilesStopAtTheFirstLineThatDoesNotMatch() {
        EnvSettings env;
        env.fog = 123;
        env.faceName = u"Keep";
        std::string text = StoredFile("FontSize 20 4 0", "");
        text.replace(text.find("Fog 6"), 5, "Fog x");
        const SettingsReadReport report = ParseSettings(text, env);
        QCOMPARE(report.linesRead, 9);
        QCOMPARE(env.cursorKind, 2);  // read before the broken line
        QCOMPARE(env.pointExtra1, -4);
        QCOMPARE(env.fog, 123);       // kept from before
        QCOMPARE(env.transparencyDisplay, kTransparencyDisplayAtStart);
        QVERIFY(env.faceName == u"Keep");

        // Hostile bytes: absurd numbers, names longer than the file, a NUL in a number line.
        EnvSettings hostile;
        const std::string absurd =
            "FG99999999999999999999 BG-99999999999999999999 TX0 pFG0 pBG0\nFG: 0 X0 Y0\nBG: 0 X0 Y0\nTX: 0 X0 Y0\n"
            "FontSize 12 100 100\n\nFontStrikeOut 0\nFontUnderLine 0\n0 0\nGGap0 GClr0 Cur0 Pnt0 0 0\nFog 0\n"
            "TranspRep 0\nFolder: 0\nUD 0\nRS 0\nWS 0 0 0\nshort";
        const SettingsReadReport r = ParseSettings(absurd, hostile);
        QCOMPARE(r.linesRead, 15);
        QVERIFY(!r.namesRead);
        QCOMPARE(hostile.foreground, std::numeric_limits<int32_t>::max());
        QCOMPARE(hostile.background, std::numeric_limits<int32_t>::min());
        QCOMPARE(ParseSettings(std::string("FG1 BG\0 2", 10), hostile).linesRead, 0);
        QCOMPARE(ParseSettings("", hostile).linesRead, 0);
    }

    void firstShowFlagsAndTheSamplesFolder() {
        QTemporaryDir dir;
        const std::filesystem::path home = dir.path().toStdString();
        WriteFile(home / kFirstShowFileName, "1 update 1");
        EnvSettings env;
        env.brushSize = -3;
        env.gridSpacing = 0;
        LoadEnvironment(home, env);
        QCOMPARE(env.samplesFlag, 1);
        QCOMPARE(env.folder, 1);
        QCOMPARE(env.updateFlag, 1);
        QCOMPARE(env.defaultFolder, (home / "Samples").string());
        QCOMPARE(env.brushSize, 1);
        QVERIFY(SaveEnvironment(home, env));
        QCOMPARE(ReadFile(home / kFirstShowFileName), std::string("0 update 1"));

        EnvSettings again;
        LoadEnvironment(home, again);
        QCOMPARE(again.samplesFlag, 0);
        QVERIFY(again.defaultFolder.empty());
        QCOMPARE(again.gridSpacing, 4);  // 0 would make the grid command meaningless

        WriteFile(home / kFirstShowFileName, "garbage");
        EnvSettings broken;
        LoadEnvironment(home, broken);
        QCOMPARE(broken.samplesFlag, 0);
    }

    void aFailedWriteKeepsTheOldSettingsAndSaysWhy() {
        QTemporaryDir dir;
        const std::filesystem::path home = dir.path().toStdString();
        EnvSettings old;
        old.brushSize = 7;
        QVERIFY(SaveEnvironment(home, old));
        const std::string before = ReadFile(home / kSettingsFileName);
        EnvSettings changed = old;
        changed.brushSize = 9;
        changed.faceName = std::u16string(100, u'가');  // a settings file of some size

        // A full disk in a child process: a file size limit below the settings file's size.
        const pid_t child = fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{64, 64};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::string error;
            const bool saved = SaveEnvironment(home, changed, &error);
            const bool named = error.find(kSettingsFileName) != std::string::npos &&
                               error.find(texts::kReasonFileTooLarge) != std::string::npos;
            _exit(!saved && named ? 0 : 1);
        }
        int status = -1;
        QVERIFY(child > 0 && waitpid(child, &status, 0) == child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(ReadFile(home / kSettingsFileName), before);
        EnvSettings reread;
        LoadEnvironment(home, reread);
        QCOMPARE(reread.brushSize, 7);

        // A folder where the file should be: refused with the name and the reason, nothing left behind.
        std::filesystem::remove(home / kFirstShowFileName);
        std::filesystem::create_directory(home / kFirstShowFileName);
        std::string error;
        QVERIFY(!SaveEnvironment(home, changed, &error));
        QVERIFY2(error.find(kFirstShowFileName) != std::string::npos, error.c_str());
        QCOMPARE(ReadFile(home / kSettingsFileName), FormatSettings(changed));  // the other file is written
        int entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(home)) entries += entry.path().filename().string()[0] != '.' ? 1 : 100;
        QCOMPARE(entries, 2);
    }

    void textTableIsReadAsKoreanCodePageAndSplit() {
        // "가나~ab|c" and "다~라|" in code page 949, a line without "~", then an invalid byte.
        const std::string cp949 = "\xB0\xA1\xB3\xAA~ab|c\r\n\xB4\xD9~\xB6\xF3|\nplain\n\x80x~y";
        const auto rows = ParseTextTable(cp949);
        QCOMPARE(int(rows.size()), 4);
        QCOMPARE(rows[0].first, std::string("가나"));
        QCOMPARE(rows[0].second, std::string("ab"));
        QCOMPARE(rows[1].first, std::string("다"));
        QCOMPARE(rows[1].second, std::string("라"));
        QCOMPARE(rows[2].first, std::string("plain"));
        QVERIFY(rows[2].second.empty());
        QCOMPARE(rows[3].first, std::string("\xEF\xBF\xBDx"));

        std::string many;
        for (int i = 0; i < 250; ++i) many += "k~v\n";
        QCOMPARE(int(ParseTextTable(many).size()), kTextTableRows);
        const auto wide = ParseTextTable(std::string(300, 'a') + "~" + std::string(90, 'b'));
        QCOMPARE(int(wide[0].first.size()), kTextTableColumnChars);
        QCOMPARE(int(wide[0].second.size()), kTextTableColumnChars);
    }
};

QUILLORY_SHELL_TEST(SettingsFilesTest)
#include "SettingsFilesTest.moc"
