// What a person expects of any editor on this desktop: the wheel, panning, the status
// fields, the unsaved mark, Ctrl+Q, icons and tips, the recently-used list and the
// open dialog's page chooser, all in the real window.
#include <QAction>
#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QUrl>
#include <QtTest>

#include <tiffio.h>

#include "core/CommandIds.h"
#include "shell/CommandIcons.h"
#include "shell/DesktopTexts.h"
#include "shell/Dlg_QvxFile.h"
#include "shell/PageChooser.h"
#include "shell/RecentlyUsed.h"
#include "shell/StatusFields.h"
#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QRgb PageColour(int page, int x, int y) { return qRgb(40 * page + x, 3 * y, 250 - 50 * page); }

// A TIFF of RGB pages, page p of sizes[p], written by libtiff itself.
bool WriteMultiPageTiff(const QString& path, const QList<QSize>& sizes) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!tif) return false;
    for (int page = 0; page < sizes.size(); ++page) {
        const int w = sizes[page].width(), h = sizes[page].height();
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, page, int(sizes.size()));
        std::vector<uint8_t> row(size_t(3 * w));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = PageColour(page, x, y);
                row[3 * x] = uint8_t(qRed(c)), row[3 * x + 1] = uint8_t(qGreen(c)), row[3 * x + 2] = uint8_t(qBlue(c));
            }
            if (TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) < 0) {
                TIFFClose(tif);
                return false;
            }
        }
        if (!TIFFWriteDirectory(tif)) {
            TIFFClose(tif);
            return false;
        }
    }
    TIFFClose(tif);
    return true;
}

void SendWheel(QWidget* target, QPoint at, QPoint angle, Qt::KeyboardModifiers modifiers, QPoint pixels = {}) {
    QWheelEvent wheel(QPointF(at), target->mapToGlobal(QPointF(at)), pixels, angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

QPoint Scroll(CVandView* view) { return {view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()}; }

QString ChildTitle(CVandView* view) { return qobject_cast<QMdiSubWindow*>(view->parentWidget())->windowTitle(); }

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DesktopTest : public EditorFixture {
    Q_OBJECT

    QString m_big;  // 400 × 300

private Q_SLOTS:
    void initTestCase() {
        PrepareFiles();
        m_big = m_dir.filePath("big.bmp");
        QVERIFY(WritePicture(m_big, 400, 300));
    }
    void cleanup() { Stop(); }

    void wheelScrollsDownAndShiftWheelSideways() {
        Start({m_big});
        SetClientSize(200, 150);
        CVandView* view = View();
        const int notch = QApplication::wheelScrollLines() * 20;
        QCOMPARE(Scroll(view), QPoint(0, 0));
        SendWheel(view->viewport(), {100, 75}, {0, -120}, Qt::NoModifier);
        QCOMPARE(Scroll(view), QPoint(0, notch));
        SendWheel(view->viewport(), {100, 75}, {0, -120}, Qt::ShiftModifier);
        QCOMPARE(Scroll(view), QPoint(notch, notch));
        // A touchpad's pixel distances are taken as they are, both ways at once.
        SendWheel(view->viewport(), {100, 75}, {0, -24}, Qt::NoModifier, {-7, -11});
        QCOMPARE(Scroll(view), QPoint(notch + 7, notch + 11));
        // Up at the top and far past the end stop at the scroll range.
        for (int i = 0; i < 40; ++i) SendWheel(view->viewport(), {100, 75}, {0, 120}, Qt::NoModifier);
        QCOMPARE(view->verticalScrollBar()->value(), 0);
        for (int i = 0; i < 40; ++i) SendWheel(view->viewport(), {100, 75}, {0, -120}, Qt::NoModifier);
        QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
        QVERIFY(view->verticalScrollBar()->maximum() > 0);
        QCOMPARE(view->document().view().zoom, 1.0f);
        QVERIFY(!view->document().modified());
    }

    void ctrlWheelZoomsInTheCommandsStepsKeepingThePixelUnderThePointer() {
        Start({m_big});
        SetClientSize(200, 150);
        CVandView* view = View();
        view->horizontalScrollBar()->setValue(50);
        view->verticalScrollBar()->setValue(40);
        const QPoint pointer(120, 90);
        const PointerReading before = ReadPointer(*view, pointer);
        QVERIFY(before.inside);
        QCOMPARE(QPoint(before.x, before.y), QPoint(170, 130));

        SendWheel(view->viewport(), pointer, {0, 120}, Qt::ControlModifier);
        QCOMPARE(view->document().view().zoom, 2.0f);
        PointerReading after = ReadPointer(*view, pointer);
        QCOMPARE(QPoint(after.x, after.y), QPoint(170, 130));
        // What is shown there is that pixel.
        QCOMPARE(Grab().pixel(pointer), PictureColour(170, 130));

        // A fine wheel's half notches add up to one step.
        SendWheel(view->viewport(), pointer, {0, 60}, Qt::ControlModifier);
        QCOMPARE(view->document().view().zoom, 2.0f);
        SendWheel(view->viewport(), pointer, {0, 60}, Qt::ControlModifier);
        QCOMPARE(view->document().view().zoom, 4.0f);
        after = ReadPointer(*view, pointer);
        QCOMPARE(QPoint(after.x, after.y), QPoint(170, 130));

        SendWheel(view->viewport(), pointer, {0, -120}, Qt::ControlModifier);
        QCOMPARE(view->document().view().zoom, 2.0f);
        after = ReadPointer(*view, pointer);
        QCOMPARE(QPoint(after.x, after.y), QPoint(170, 130));

        // The wheel stops where the zoom commands are refused.
        for (int i = 0; i < 20; ++i) SendWheel(view->viewport(), pointer, {0, 120}, Qt::ControlModifier);
        const float largest = view->document().view().zoom;
        QVERIFY(!Enabled(cmd::kZoomIn));
        for (int i = 0; i < 20; ++i) SendWheel(view->viewport(), pointer, {0, -120}, Qt::ControlModifier);
        QVERIFY(!Enabled(cmd::kZoomOut));
        const float smallest = view->document().view().zoom;
        QVERIFY(largest > 4.0f && smallest < 1.0f);
        QVERIFY(!view->document().modified());
    }

    void touchpadPinchZoomsByWholeStepsAroundItsCentre() {
        Start({m_big});
        SetClientSize(200, 150);
        CVandView* view = View();
        const QPoint centre(80, 60);
        const QPointingDevice* pad = QPointingDevice::primaryPointingDevice();
        auto pinch = [&](Qt::NativeGestureType type, double value) {
            QNativeGestureEvent event(type, pad, 2, QPointF(centre), QPointF(centre), view->viewport()->mapToGlobal(QPointF(centre)),
                                      value, QPointF());
            QApplication::sendEvent(view->viewport(), &event);
        };
        pinch(Qt::BeginNativeGesture, 0);
        // Growing by a third is nearer no step than one; by half is nearer one step.
        pinch(Qt::ZoomNativeGesture, 1.0 / 3.0);
        QCOMPARE(view->document().view().zoom, 1.0f);
        pinch(Qt::ZoomNativeGesture, 0.1);
        QCOMPARE(view->document().view().zoom, 2.0f);
        const PointerReading under = ReadPointer(*view, centre);
        QCOMPARE(QPoint(under.x, under.y), QPoint(80, 60));
        // Pinching back to about the starting spread returns to the starting zoom, further on zooms out.
        pinch(Qt::ZoomNativeGesture, -0.3);
        QCOMPARE(view->document().view().zoom, 1.0f);
        pinch(Qt::ZoomNativeGesture, -0.5);
        QCOMPARE(view->document().view().zoom, 0.5f);
        pinch(Qt::EndNativeGesture, 0);
        QVERIFY(!view->document().modified());
    }

    void middleButtonAndSpaceDragPanWithoutPainting() {
        Start({m_big});
        SetClientSize(200, 150);
        CVandView* view = View();
        Trigger(cmd::kToolBrush);
        view->horizontalScrollBar()->setValue(60);
        view->verticalScrollBar()->setValue(60);
        QWidget* port = view->viewport();

        SendMouse(port, QEvent::MouseButtonPress, {100, 100}, Qt::MiddleButton, Qt::MiddleButton);
        SendMouse(port, QEvent::MouseMove, {70, 80}, Qt::NoButton, Qt::MiddleButton);
        QCOMPARE(Scroll(view), QPoint(90, 80));
        SendMouse(port, QEvent::MouseMove, {120, 110}, Qt::NoButton, Qt::MiddleButton);
        QCOMPARE(Scroll(view), QPoint(40, 50));
        SendMouse(port, QEvent::MouseButtonRelease, {120, 110}, Qt::MiddleButton, Qt::NoButton);
        QVERIFY(!view->navigation().panning());

        view->setFocus();
        QTest::keyPress(view, Qt::Key_Space);
        QVERIFY(view->navigation().spaceHeld());
        QCOMPARE(port->cursor().shape(), Qt::OpenHandCursor);
        SendMouse(port, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(port->cursor().shape(), Qt::ClosedHandCursor);
        SendMouse(port, QEvent::MouseMove, {30, 40}, Qt::NoButton, Qt::LeftButton);
        SendMouse(port, QEvent::MouseButtonRelease, {30, 40}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(Scroll(view), QPoint(60, 60));
        QTest::keyRelease(view, Qt::Key_Space);
        QVERIFY(!view->navigation().spaceHeld());
        // Neither pan painted a stroke.
        QVERIFY(!view->document().modified());

        // Without Space the left button paints again.
        SendMouse(port, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(port, QEvent::MouseMove, {60, 55}, Qt::NoButton, Qt::LeftButton);
        SendMouse(port, QEvent::MouseButtonRelease, {60, 55}, Qt::LeftButton, Qt::NoButton);
        QCoreApplication::processEvents();
        QVERIFY(view->document().modified());
        QCOMPARE(Scroll(view), QPoint(60, 60));
    }

    void statusFieldsFollowThePointerZoomAndPicture() {
        Start({m_picture});
        SetClientSize(300, 200);
        CVandView* view = View();
        StatusFields* fields = Frame()->statusFields();
        QCOMPARE(fields->zoom()->text(), QString("100%"));
        QCOMPARE(fields->size()->text(), QString::fromUtf8("100 × 50, 24비트"));
        QVERIFY(fields->position()->text().isEmpty());

        const InclusiveRect r = view->document().view().pictureRect;
        const QPoint over(r.left + 37, r.top + 21);
        SendMouse(view->viewport(), QEvent::MouseMove, over, Qt::NoButton, Qt::NoButton);
        QCOMPARE(fields->position()->text(), QString("37, 21"));
        const QRgb c = PictureColour(37, 21);
        QCOMPARE(fields->colour()->text(), QString("R %1 G %2 B %3 A 255").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)));
        // The specified status line is still written.
        QVERIFY(Frame()->statusLabel()->text().startsWith("mainframe ("));

        // The grey around the picture and leaving the view clear the pointer fields.
        SendMouse(view->viewport(), QEvent::MouseMove, {r.left - 5, r.top + 3}, Qt::NoButton, Qt::NoButton);
        QVERIFY(fields->position()->text().isEmpty());
        QVERIFY(fields->colour()->text().isEmpty());

        SendWheel(view->viewport(), over, {0, 120}, Qt::ControlModifier);
        QCOMPARE(fields->zoom()->text(), QString("200%"));
        Trigger(cmd::kFitToWindow);
        QCOMPARE(fields->zoom()->text(), QString::fromUtf8(shelltexts::kStatusZoomFit));
        Trigger(cmd::kFitToWindow);
        QCOMPARE(fields->zoom()->text(), QString("200%"));

        Trigger(cmd::kCloseAll);
        QCoreApplication::processEvents();
        QVERIFY(fields->zoom()->text().isEmpty());
        QVERIFY(fields->size()->text().isEmpty());
    }

    void unsavedPicturesAreMarkedUntilSaved() {
        const QString copy = m_dir.filePath("marked.bmp");
        QVERIFY(WritePicture(copy, 60, 40));
        Start({copy});
        CVandView* view = View();
        QCOMPARE(ChildTitle(view), QString("marked.bmp"));
        Trigger(cmd::kInvert);
        QVERIFY(view->document().modified());
        QCOMPARE(ChildTitle(view), QString("*marked.bmp"));
        QCOMPARE(Frame()->windowTitle(), QString("Quillory 3.72 - *marked.bmp"));
        // Both windows of the picture carry the mark.
        Trigger(cmd::kWindowNew);
        for (CVandView* each : Frame()->Views()) QVERIFY(ChildTitle(each).startsWith("*marked.bmp:"));
        Trigger(cmd::kFileSave);
        for (CVandView* each : Frame()->Views()) QVERIFY(ChildTitle(each).startsWith("marked.bmp:"));
        QVERIFY(!Frame()->windowTitle().contains('*'));
    }

    void ctrlQQuitsAfterTheClosingQuestion() {
        Start({m_picture});
        QAction* exit = Frame()->Action(cmd::kAppExit);
        QVERIFY(exit->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
        QVERIFY(View()->document().doc().AddLayer());
        View()->document().MarkChanged();
        m_app->platform().SetScriptedAnswers({MessageAnswer::Cancel});
        const size_t before = MessageCount();
        Frame()->activateWindow();
        QTest::keyClick(Frame(), Qt::Key_Q, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(MessageCount(), before + 1);
        QCOMPARE(LastMessage(), QString::fromUtf8("[pic.bmp] 파일을 저장하시겠습니까?"));
        QVERIFY(Frame()->isVisible());
        QCOMPARE(Frame()->Views().size(), 1);
    }

    void buttonsHaveThemeIconsAndTipsAndMenusStatusTips() {
        Start({m_picture});
        // The bundled fallback theme names the standard buttons.
        QVERIFY2(!PrepareIconThemes().isEmpty(), "no fallback icon theme is installed: run scripts/setup.sh");
        for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste,
                       cmd::kEditUndo, cmd::kEditRedo, cmd::kZoomIn, cmd::kZoomOut, cmd::kToolBrush, cmd::kToolEraser})
            QCOMPARE(Frame()->Action(id)->icon().name(), QString::fromLatin1(IconNamesOf(id).front()));

        int buttons = 0;
        for (QToolBar* bar : Frame()->findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions()) {
                if (action->isSeparator() || !action->data().isValid() || action->text().isEmpty()) continue;
                ++buttons;
                // Every button finds its picture in the themes; the letter glyphs are the last resort.
                QVERIFY2(!action->icon().name().isEmpty(), qPrintable(action->text()));
                QVERIFY2(!action->toolTip().isEmpty(), qPrintable(action->text()));
                for (const QKeySequence& key : action->shortcuts())
                    QVERIFY2(action->toolTip().contains(key.toString(QKeySequence::NativeText)),
                             qPrintable(action->toolTip()));
            }
        }
        QVERIFY(buttons > 20);
        QCOMPARE(Frame()->Action(cmd::kFileNew)->toolTip(), QString::fromUtf8("새파일 (Ctrl+N)"));
        // The window icon is the application's own, also when it is not installed.
        QVERIFY(!QIcon(":/icons/org.quillory.Quillory.svg").pixmap(32, 32).isNull());
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.quillory.Quillory"));

        QList<QMenu*> menus;
        for (QAction* top : Frame()->menuBar()->actions())
            if (top->menu()) menus << top->menu();
        int items = 0;
        while (!menus.isEmpty()) {
            QMenu* menu = menus.takeFirst();
            for (QAction* action : menu->actions()) {
                if (action->menu()) menus << action->menu();
                if (action->isSeparator() || action->menu() || !action->isEnabled()) continue;
                ++items;
                QVERIFY2(!action->statusTip().isEmpty(), qPrintable(action->text()));
            }
        }
        QVERIFY(items > 60);
    }

    void tipTextsDropMnemonicsAndNameTheKeys() {
        QCOMPARE(ToolTipText(QString::fromUtf8("열기(&O)"), {QKeySequence("Ctrl+O")}), QString::fromUtf8("열기 (Ctrl+O)"));
        QCOMPARE(ToolTipText(QString::fromUtf8("늘여보기(&e)"), {}), QString::fromUtf8("늘여보기"));
        QCOMPARE(ToolTipText(QString::fromUtf8("&Save && Close...\tCtrl+S"), {QKeySequence("Ctrl+S"), QKeySequence("F2")}),
                 QString::fromUtf8("Save & Close (Ctrl+S, F2)"));
    }

    void openedAndSavedFilesReachTheDesktopRecentList() {
        const QString list = RecentlyUsedPath();
        QVERIFY(list.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
        QFile::remove(list);
        Start({m_picture});
        QDomDocument doc;
        QVERIFY(doc.setContent(ReadAll(list)));
        const QString href = QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(m_picture).absoluteFilePath()).toEncoded());
        QDomElement bookmark = doc.documentElement().firstChildElement("bookmark");
        QCOMPARE(bookmark.attribute("href"), href);
        QVERIFY(ReadAll(list).contains("type=\"image/bmp\""));
        QVERIFY(ReadAll(list).contains("name=\"Quillory\""));
    }

    void recentListKeepsOtherEntriesCountsUsesAndLeavesABrokenListAlone() {
        const QString list = m_dir.filePath("lists/recently-used.xbel");
        const QDateTime when(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
        QVERIFY(AddRecentlyUsed(list, {"/tmp/a b.png", "image/png", "Quillory", "'quillory %f'", when}));
        // Another program's entry with a field we do not know.
        QString text = QString::fromUtf8(ReadAll(list));
        text.replace("</xbel>", "<bookmark href=\"file:///other.txt\" added=\"x\"><title>kept</title></bookmark></xbel>");
        {
            QFile file(list);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text.toUtf8());
        }
        QVERIFY(AddRecentlyUsed(list, {"/tmp/a b.png", "image/png", "Quillory", "'quillory %f'", when.addSecs(60)}));
        QVERIFY(AddRecentlyUsed(list, {"/tmp/c.jpg", "image/jpeg", "Quillory", "'quillory %f'", when}));
        QDomDocument doc;
        QVERIFY(doc.setContent(ReadAll(list)));
        QStringList hrefs;
        for (QDomElement b = doc.documentElement().firstChildElement("bookmark"); !b.isNull();
             b = b.nextSiblingElement("bookmark"))
            hrefs << b.attribute("href");
        QCOMPARE(hrefs, QStringList({"file:///tmp/a%20b.png", "file:///other.txt", "file:///tmp/c.jpg"}));
        const QByteArray written = ReadAll(list);
        QVERIFY(written.contains("<title>kept</title>"));
        QVERIFY(written.contains("count=\"2\""));
        QVERIFY(written.contains("added=\"2026-03-01T10:00:00.000Z\""));
        QVERIFY(written.contains("modified=\"2026-03-01T10:01:00.000Z\""));

        // A list that is not XBEL is never overwritten.
        const QByteArray broken = "<xbel version=\"1.0\"><bookmark href=";
        {
            QFile file(list);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(broken);
        }
        QVERIFY(!AddRecentlyUsed(list, {"/tmp/d.gif", "image/gif", "Quillory", "'quillory %f'", when}));
        QCOMPARE(ReadAll(list), broken);
    }

    void openDialogStartsInTheLastFolderOrPictures() {
        Start({});
        QSettings().remove("Recent File List");
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        const QString expected = QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
        QString shown;
        ANSWER_NEXT_MODAL(Dlg_QvxFile, [&](Dlg_QvxFile* dialog) {
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        Trigger(cmd::kFileOpen);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(shown, QDir(expected).absolutePath());

        QVERIFY(Frame()->OpenDocument(m_picture));
        ANSWER_NEXT_MODAL(Dlg_QvxFile, [&](Dlg_QvxFile* dialog) {
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        Trigger(cmd::kFileOpen);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(shown, QDir(m_dir.path()).absolutePath());
    }

    void openDialogOpensTheChosenPageOfAMultiPageTiff() {
        const QString tiff = m_dir.filePath("pages.tif");
        QVERIFY(WriteMultiPageTiff(tiff, {QSize(30, 20), QSize(40, 10), QSize(8, 8)}));
        Start({});
        const int viewsBefore = int(Frame()->Views().size());
        int saveAsked = 0;
        Frame()->savePathPrompt = [&](const QString&) {
            ++saveAsked;
            return QString();
        };
        ANSWER_NEXT_MODAL(Dlg_QvxFile, [&](Dlg_QvxFile* dialog) {
            dialog->setDirectory(m_dir.path());
            dialog->selectFile(tiff);
            dialog->Preview(tiff);
            PageChooser* pages = dialog->pageChooser();
            QVERIFY(pages->isVisible());
            QCOMPARE(pages->pageCount(), 3);
            QCOMPARE(dialog->captionLabel()->text(), QString::fromUtf8("30 × 20, 1 / 3쪽"));
            pages->spinBox()->setValue(2);
            QCOMPARE(dialog->captionLabel()->text(), QString::fromUtf8("40 × 10, 2 / 3쪽"));
            QCOMPARE(dialog->previewLabel()->pixmap().toImage().pixel(5, 3), PageColour(1, 5, 3));
            QCOMPARE(dialog->PageOf(tiff), 1);
            // A single-page file hides the chooser and opens as it is.
            dialog->Preview(m_picture);
            QVERIFY(!pages->isVisible());
            QCOMPARE(dialog->PageOf(tiff), 0);
            dialog->Preview(tiff);
            pages->spinBox()->setValue(2);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        Trigger(cmd::kFileOpen);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(int(Frame()->Views().size()), viewsBefore + 1);
        DocumentSession& document = View()->document();
        QCOMPARE(document.Width(), 40);
        QCOMPARE(document.Height(), 10);
        const InclusiveRect r = document.view().pictureRect;
        const QImage shot = Grab();
        for (auto [x, y] : {std::pair{0, 0}, {39, 0}, {17, 9}}) QCOMPARE(shot.pixel(r.left + x, r.top + y), PageColour(1, x, y));

        // Writing the one page back over the file would lose the others: Save asks for a name.
        const QByteArray original = ReadAll(tiff);
        Trigger(cmd::kFileSave);
        QCOMPARE(saveAsked, 1);
        QCOMPARE(ReadAll(tiff), original);
    }

    void animatedGifFramesAreOfferedAsPages() {
        const QString gif = QStringLiteral(QUILLORY_CORPUS_DIR) + "/gif/dispose_prev_first_frame.gif";
        if (!QFileInfo::exists(gif)) QSKIP("the picture corpus is not present");
        QLabel picture, caption;
        PageChooser pages(&picture, &caption, nullptr);
        QVERIFY(pages.SetFile(gif));
        QCOMPARE(pages.pageCount(), 2);
        QCOMPARE(caption.text(), QString::fromUtf8("100 × 50, 1 / 2쪽"));
        pages.spinBox()->setValue(2);
        QCOMPARE(pages.page(), 1);
        QCOMPARE(caption.text(), QString::fromUtf8("100 × 50, 2 / 2쪽"));
        // A damaged file is no file of pages.
        const QString cut = m_dir.filePath("cut.gif");
        QFile out(cut);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(ReadAll(gif).left(20));
        out.close();
        QVERIFY(!pages.SetFile(cut));
        QCOMPARE(pages.page(), 0);
    }
};

QUILLORY_SHELL_TEST(DesktopTest)
#include "DesktopTest.moc"
