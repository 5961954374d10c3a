// The save options dialog and what the editor window does with it: PNG and WebP in
// the file dialogs, the options asked after the name, remembered in their settings
// file, and PNG files dropped on the window.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/ImageStream.h"
#include "core/Platform.h"
#include "core/SaveOptions.h"
#include "document/ClipboardCommands.h"
#include "shell/CDlg_SaveOptions.h"
#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"
#include "shell/Dlg_QvxFile.h"
#include "shell/SaveOptionsTexts.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

class SaveOptionsDialogTest : public EditorFixture {
    Q_OBJECT

    QString WritePng(const QString& name) {
        NyZazo picture(30, 20, 32, kFormatPng);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                uint8_t* p = picture.Row(y) + 4 * x;
                p[0] = uint8_t(8 * x), p[1] = uint8_t(12 * y), p[2] = 90, p[3] = uint8_t(x < 15 ? 255 : 60);
            }
        const QString path = m_dir.filePath(name);
        return picture.Save(path.toStdString(), kFormatPng) ? path : QString();
    }

private Q_SLOTS:
    void cleanup() { Stop(); }

    void dialogStartsAtTheChoiceAndCollectsEachFormatsValues() {
        const SaveOptions defaults;
        CDlg_SaveOptions jpeg(kFormatJpeg, defaults);
        QCOMPARE(jpeg.windowTitle(), QString::fromUtf8("JPEG 저장 옵션"));
        QCOMPARE(jpeg.qualityBox()->value(), 100);
        QVERIFY(!jpeg.compressionBox() && !jpeg.levelBox() && !jpeg.losslessBox());
        jpeg.qualitySlider()->setValue(72);
        QCOMPARE(jpeg.qualityBox()->value(), 72);
        QCOMPARE(jpeg.Options().jpegQuality, 72);
        QCOMPARE(jpeg.Options().webpQuality, 100);

        CDlg_SaveOptions tiff(kFormatTiff, defaults);
        QCOMPARE(tiff.compressionBox()->count(), 4);
        QCOMPARE(tiff.compressionBox()->currentText(), QString::fromUtf8(shelltexts::kTiffByDepth));
        tiff.compressionBox()->setCurrentIndex(tiff.compressionBox()->findText("LZW"));
        QCOMPARE(tiff.Options().tiffCompression, kTiffCompressionLzw);

        SaveOptions earlier;
        earlier.pngLevel = 7;
        earlier.webpQuality = 55;
        earlier.webpLossless = true;
        CDlg_SaveOptions png(kFormatPng, earlier);
        QCOMPARE(png.levelBox()->value(), 7);
        QCOMPARE(png.levelBox()->maximum(), 9);
        png.levelBox()->setValue(9);
        QCOMPARE(png.Options().pngLevel, 9);

        CDlg_SaveOptions webp(kFormatWebp, earlier);
        QCOMPARE(webp.windowTitle(), QString::fromUtf8("WebP 저장 옵션"));
        QCOMPARE(webp.qualityBox()->value(), 55);
        QVERIFY(webp.losslessBox()->isChecked());
        QVERIFY(!webp.qualityBox()->isEnabled());
        webp.losslessBox()->setChecked(false);
        QVERIFY(webp.qualityBox()->isEnabled());
        webp.qualityBox()->setValue(80);
        QCOMPARE(webp.Options().webpQuality, 80);
        QVERIFY(!webp.Options().webpLossless);

        // Formats without options never show the dialog.
        SaveOptions untouched;
        QVERIFY(CDlg_SaveOptions::Ask(nullptr, kFormatBmp, untouched));
        QCOMPARE(untouched, SaveOptions{});
    }

    void saveAsAsksTheOptionsRemembersThemAndCancelWritesNothing() {
        const QString png = WritePng("in.png");
        QVERIFY(!png.isEmpty());
        Start({png});
        QVERIFY(Frame()->ActiveView());
        DocumentSession& doc = Frame()->ActiveView()->document();
        QCOMPARE(doc.Width(), 30);

        const QString out = m_dir.filePath("out.png");
        Frame()->savePathPrompt = [&](const QString&) { return out; };
        int askedFormat = -1;
        Frame()->saveOptionsPrompt = [&](int format, SaveOptions& options) {
            askedFormat = format;
            options.pngLevel = 1;
            return false;  // the user cancels the options
        };
        QVERIFY(!Frame()->SaveDocument(doc, true));
        QCOMPARE(askedFormat, int(kFormatPng));
        QVERIFY(!QFileInfo::exists(out));
        QCOMPARE(Frame()->saveOptions().pngLevel, SaveOptions{}.pngLevel);

        Frame()->saveOptionsPrompt = [&](int, SaveOptions& options) {
            options.pngLevel = 9;
            return true;
        };
        QVERIFY(Frame()->SaveDocument(doc, true));
        QVERIFY(QFileInfo::exists(out));
        QCOMPARE(Frame()->saveOptions().pngLevel, 9);
        const std::string home = qEnvironmentVariable("QUILLORY_HOME").toStdString();
        QCOMPARE(LoadSaveOptions(home).pngLevel, 9);
        NyZazo back;
        QVERIFY(back.Load(out.toStdString(), kFormatPng));
        QCOMPARE(back.BitCount(), 32);  // the transparent half stayed transparent
        QCOMPARE(int(back.Row(0)[4 * 20 + 3]), 60);

        // A plain save of the same file asks nothing and keeps the choice.
        askedFormat = -1;
        Frame()->saveOptionsPrompt = [&](int format, SaveOptions&) {
            askedFormat = format;
            return true;
        };
        QVERIFY(Frame()->SaveDocument(doc, false));
        QCOMPARE(askedFormat, -1);
    }

    void pngAndWebpAreOfferedAndDroppedPngFilesOpen() {
        Dlg_QvxFile dialog(nullptr, m_dir.path());
        const QString filters = dialog.nameFilters().join("|");
        QVERIFY2(filters.contains("*.png") && filters.contains("*.webp"), qPrintable(filters));

        const QString png = WritePng("dropped.png");
        QVERIFY(!png.isEmpty());
        Start({});
        const int before = Frame()->Views().size();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(png)});
        // As a drag from a file manager arrives: entering the window, then the drop.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Frame(), &drop);
        QCOMPARE(Frame()->Views().size(), before + 1);
        QCOMPARE(Frame()->ActiveView()->document().Width(), 30);
    }

    void pngBytesOnTheClipboardAreReadWithTheirOpacity() {
        Start({});
        NyZazo picture(6, 4, 32, kFormatPng);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                uint8_t* p = picture.Row(y) + 4 * x;
                p[0] = 10, p[1] = uint8_t(40 * x), p[2] = uint8_t(60 * y), p[3] = uint8_t(x * 50);
            }
        ImageStream png(ImageStream::kMemory);
        QVERIFY(picture.Encode(png, kFormatPng));
        auto* data = new QMimeData;  // what a program that offers only PNG bytes puts there
        data->setData("image/png", QByteArray(reinterpret_cast<const char*>(png.data()), qsizetype(png.size())));
        QApplication::clipboard()->setMimeData(data);
        const auto dib = CurrentPlatform().ClipboardDib();
        QVERIFY(dib.has_value());
        LayerPicture read;
        QVERIFY(UnpackPicture(dib->data(), dib->size(), read));
        QCOMPARE(read.width, 6);
        QCOMPARE(read.height, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) QCOMPARE(read.pixels[size_t(y) * 6 + x], *reinterpret_cast<const uint32_t*>(picture.Row(y) + 4 * x));
    }
};

QUILLORY_SHELL_TEST(SaveOptionsDialogTest)
#include "SaveOptionsDialogTest.moc"
