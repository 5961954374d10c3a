// The command line's FreeType text against the editor's Qt text: the same text and
// style give boxes and ink within a few pixels of each other, so a script draws
// what the window would.
#include <QtTest>

#include <algorithm>

#include "ShellTestMain.h"
#include "fonts/FreeTypeText.h"
#include "shell/QtPlatform.h"

using namespace quillory;

namespace {

struct InkBox {
    int left = 0, top = 0, right = -1, bottom = -1;
};

InkBox InkOf(const TextRaster& r) {
    InkBox box{r.width, r.height, -1, -1};
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.coverage[size_t(y) * size_t(r.width) + size_t(x)] > 64) {
                box.left = std::min(box.left, x), box.right = std::max(box.right, x);
                box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
            }
    return box;
}

QString Describe(const TextRaster& r, const InkBox& b) {
    return QString("%1x%2 ink %3,%4..%5,%6").arg(r.width).arg(r.height).arg(b.left).arg(b.top).arg(b.right).arg(b.bottom);
}

}  // namespace

class TextRasterCompareTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void SameBoxesAsQt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("pixelHeight");
        QTest::addColumn<int>("flags");  // 1 bold, 2 italic, 4 underline
        QTest::newRow("latin") << "Hello, World" << "DejaVu Sans" << 24 << 0;
        QTest::newRow("descenders") << "gjpqy" << "DejaVu Sans" << 30 << 0;
        QTest::newRow("bold") << "Bold text" << "DejaVu Sans" << 24 << 1;
        QTest::newRow("underlined") << "under" << "DejaVu Serif" << 24 << 4;
        QTest::newRow("korean") << "한글 달력" << "NanumGothic" << 24 << 0;
        QTest::newRow("korean in a latin face") << "2026년 12월" << "DejaVu Sans" << 20 << 0;
        QTest::newRow("two lines") << "first\nsecond line" << "NanumGothic" << 20 << 0;
        QTest::newRow("small") << "12" << "NanumGothic" << 10 << 0;
        QTest::newRow("italic") << "Italic" << "DejaVu Sans" << 24 << 2;
        QTest::newRow("made-up italic") << "기울임 Italic" << "NanumGothic" << 24 << 3;
    }

    void SameBoxesAsQt() {
        QFETCH(QString, text);
        QFETCH(QString, face);
        QFETCH(int, pixelHeight);
        QFETCH(int, flags);
        TextStyle style;
        style.face = face.toStdString();
        style.pixelHeight = pixelHeight;
        style.bold = flags & 1;
        style.italic = flags & 2;
        style.underline = flags & 4;
        QtPlatform qt;
        FreeTypeText freeType;
        const TextRaster expected = qt.RasteriseText(text.toStdString(), style);
        const TextRaster actual = freeType.Rasterise(text.toStdString(), style);
        const InkBox e = InkOf(expected), a = InkOf(actual);
        const QString both = "Qt " + Describe(expected, e) + ", FreeType " + Describe(actual, a);
        QVERIFY2(e.right >= 0 && a.right >= 0, qPrintable(both));
        constexpr int kSlack = 3;
        QVERIFY2(std::abs(expected.width - actual.width) <= kSlack, qPrintable(both));
        QVERIFY2(std::abs(expected.height - actual.height) <= kSlack, qPrintable(both));
        for (const auto& [x, y] : {std::pair{e.left, a.left}, {e.top, a.top}, {e.right, a.right}, {e.bottom, a.bottom}})
            QVERIFY2(std::abs(x - y) <= kSlack, qPrintable(both));
    }
};

QUILLORY_SHELL_TEST(TextRasterCompareTest)
#include "TextRasterCompareTest.moc"
