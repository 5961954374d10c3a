// The measurement mode in the real editor: the palette chooses the tools, a
// segment drawn with the mouse is measured and labelled, the reference is picked
// from a drawn line, and the settings and export dialogs hand their values over.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

#include "core/AtomicFile.h"
#include "core/CommandIds.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "measure/MeasureSet.h"
#include "measure/MeasureTexts.h"
#include "shell/CDlg_MicroTools.h"
#include "shell/CDlg_Mic_Env.h"
#include "shell/DlgExcel.h"
#include "shell/Dlg_Calibration.h"
#include "shell/MicroCommands.h"
#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

class MeasureWindowTest : public EditorFixture {
    Q_OBJECT

    MicroCommands& Micro() { return Frame()->micro(); }
    // The window point of a picture pixel (the whole picture fits the client).
    QPoint At(int x, int y) {
        const InclusiveRect r = View()->document().view().pictureRect;
        return QPoint(r.left + x, r.top + y);
    }
    // Pixels of the view inside `picture` that no longer show the picture.
    int ChangedPixels(const QRect& picture) {
        const QImage shot = Grab();
        int changed = 0;
        for (int y = picture.top(); y <= picture.bottom(); ++y)
            for (int x = picture.left(); x <= picture.right(); ++x)
                if (shot.pixel(At(x, y)) != (PictureColour(x, y) | 0xFF000000u)) ++changed;
        return changed;
    }
    void StartMeasuring() {
        Start({m_picture});
        SetClientSize(300, 200);
        Frame()->Dispatch(cmd::kMeasureTools);
        QVERIFY(Micro().palette() && Micro().palette()->isVisible());
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void aSegmentDrawnWithTheMouseIsMeasuredAndLabelled() {
        StartMeasuring();
        MeasureSettings& settings = Micro().settings();
        settings.refDx = 100, settings.refDy = 0, settings.refLength = 50, settings.unitName = "um";
        CDlg_MicroTools* palette = Micro().palette();
        QCOMPARE(palette->tabs()->count(), 2);
        QCOMPARE(palette->tabs()->tabText(0), QString::fromUtf8(mtexts::kTabMeasure));
        QTest::mouseClick(palette->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
        QCOMPARE(Frame()->currentTool(), cmd::kToolMeasureSegment);
        QVERIFY(palette->Button(cmd::kToolMeasureSegment)->isChecked());
        QVERIFY(!palette->Button(cmd::kToolPointMark)->isChecked());
        QCOMPARE(palette->ReferenceText(), QString::fromUtf8("측정기준: (측정기준) um : 100 pixels Ⅹ  50.00"));
        QCOMPARE(ChangedPixels(QRect(0, 0, 100, 50)), 0);

        Drag(At(10, 10), At(50, 10));
        const MeasureSet& set = MeasuresOf(Doc());
        QCOMPARE(set.ObjectCount(), 1);
        QCOMPARE(set.Object(0).kind, std::string(mtexts::kKindSegment));
        QCOMPARE(set.Object(0).length, 20.0f);
        // The line itself, and the label "20.00 um" below its start.
        QVERIFY(ChangedPixels(QRect(20, 9, 20, 3)) > 20);
        QVERIFY(ChangedPixels(QRect(10, 14, 40, 12)) > 15);
        QVERIFY(Doc().IsModified() || View()->document().HasMeasureObjects());

        // Vector undo takes the figure back out of the pixels; redo draws it again.
        QVERIFY(Enabled(cmd::kMeasureEditUndo));
        Frame()->Dispatch(cmd::kMeasureEditUndo);
        QCOMPARE(set.ObjectCount(), 0);
        QCOMPARE(ChangedPixels(QRect(0, 0, 100, 50)), 0);
        QVERIFY(Enabled(cmd::kMeasureEditRedo));
        Frame()->Dispatch(cmd::kMeasureEditRedo);
        QCOMPARE(set.ObjectCount(), 1);
        QVERIFY(ChangedPixels(QRect(20, 9, 20, 3)) > 20);
    }

    void aPolygonWaitsUntilAnotherToolIsChosenAndEscapeDropsIt() {
        StartMeasuring();
        CDlg_MicroTools* palette = Micro().palette();
        QTest::mouseClick(palette->Button(cmd::kToolMeasurePolygon), Qt::LeftButton);
        for (const QPoint p : {QPoint(10, 10), QPoint(60, 10), QPoint(60, 40)}) {
            QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, At(p.x(), p.y()));
            QCoreApplication::processEvents();
        }
        QVERIFY(palette->PendingHintShown());
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 0);
        QTest::mouseClick(palette->Button(cmd::kToolMeasureSelect), Qt::LeftButton);
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
        QCOMPARE(MeasuresOf(Doc()).Object(0).kind, std::string(mtexts::kKindPolygon));
        QVERIFY(!palette->PendingHintShown());

        // A second polygon is given up with Escape: nothing is added and its lines go.
        QTest::mouseClick(palette->Button(cmd::kToolMeasurePolygon), Qt::LeftButton);
        for (const QPoint p : {QPoint(70, 5), QPoint(95, 5), QPoint(95, 45)}) {
            QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, At(p.x(), p.y()));
            QCoreApplication::processEvents();
        }
        QVERIFY(ChangedPixels(QRect(75, 4, 15, 3)) > 0);
        View()->setFocus();
        QTest::keyClick(View(), Qt::Key_Escape);
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
        QCOMPARE(ChangedPixels(QRect(75, 4, 15, 3)), 0);
    }

    void theReferenceIsPickedFromADrawnLine() {
        StartMeasuring();
        ANSWER_NEXT_MODAL(Dlg_Calibration, [](Dlg_Calibration* d) { d->pickButton()->click(); });
        Frame()->Dispatch(cmd::kSetReference);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Frame()->currentTool(), cmd::kToolMeasureSegment);
        QCOMPARE(int(Micro().settings().referencePending), 1);

        QWidget* port = View()->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, At(10, 20));
        QTest::mouseMove(port, At(40, 24));
        QTest::mouseRelease(port, Qt::LeftButton, {}, At(40, 24));
        // The dialog opens again with the line's extents as the reference vector.
        ANSWER_NEXT_MODAL(Dlg_Calibration, [](Dlg_Calibration* d) {
            QCOMPARE(d->pixelsX()->text(), QString("30"));
            QCOMPARE(d->pixelsY()->text(), QString("4"));
            d->length()->setText("15");
            d->unitName()->setCurrentText("mm");
            d->accept();
        });
        QTRY_COMPARE(Micro().settings().refDx, 30);
        RETURN_IF_ANSWER_FAILED();
        const MeasureSettings& s = Micro().settings();
        QCOMPARE(s.refDy, 4);
        QCOMPARE(s.refLength, 15.0f);
        QCOMPARE(s.unitName, std::string("mm"));
        QCOMPARE(int(s.referencePending), 0);
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 0);
        // The picked line is gone from the picture.
        QCOMPARE(ChangedPixels(QRect(5, 15, 45, 20)), 0);
        QVERIFY(Micro().palette()->ReferenceText().contains(QString::fromUtf8("mm : 30 pixels Ⅹ  15.00")));
    }

    void theCalibrationResetsAndReadsWrongEntriesAsZero() {
        StartMeasuring();
        ANSWER_NEXT_MODAL(Dlg_Calibration, [](Dlg_Calibration* d) {
            d->resetButton()->click();
            QCOMPARE(d->pixelsX()->text(), QString("0"));
            QCOMPARE(d->unitName()->currentText(), QString("um"));
            QCOMPARE(d->length()->text(), QString("1.0"));
            d->pixelsX()->setText("12abc");
            d->accept();
        });
        Frame()->Dispatch(cmd::kSetReference);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Micro().settings().refDx, 0);
        QCOMPARE(Micro().settings().refDy, 0);
        // Measuring now asks for a calibration instead of dividing by zero.
        const size_t before = MessageCount();
        QTest::mouseClick(Micro().palette()->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
        Drag(At(10, 10), At(50, 10));
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 0);
        QVERIFY(MessageCount() > before);
        QCOMPARE(LastMessage(), QString::fromUtf8(mtexts::kNotCalibrated));
    }

    void aFractionalPixelEntryCountsItsWholePart() {
        StartMeasuring();
        ANSWER_NEXT_MODAL(Dlg_Calibration, [](Dlg_Calibration* d) {
            d->pixelsX()->setText("100.5");
            d->pixelsY()->setText(" 0 ");
            d->length()->setText("50");
            d->unitName()->setCurrentText("um");
            d->accept();
        });
        Frame()->Dispatch(cmd::kSetReference);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Micro().settings().refDx, 100);
        QCOMPARE(Micro().settings().refDy, 0);
        QTest::mouseClick(Micro().palette()->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
        Drag(At(10, 10), At(50, 10));
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
        QCOMPARE(MeasuresOf(Doc()).Object(0).length, 20.0f);
    }

    // A user's measuring session on an 8-bit document (a picture reduced with "8비트 컬러")
    // and on a 32-bit picture: every tool draws its figure and adds its object.
    void measuringWorksOnEightBitDocumentsAndThirtyTwoBitPictures() {
        const QString deep = m_dir.filePath("deep.bmp");
        {
            NyZazo picture(100, 50, 32, kFormatBmp);
            for (int storedY = 0; storedY < 50; ++storedY) {
                uint8_t* row = picture.Row(storedY);
                for (int x = 0; x < 100; ++x) {
                    const QRgb c = PictureColour(x, 49 - storedY);
                    row[4 * x] = uint8_t(qBlue(c)), row[4 * x + 1] = uint8_t(qGreen(c));
                    row[4 * x + 2] = uint8_t(qRed(c)), row[4 * x + 3] = 255;
                }
            }
            QVERIFY(picture.Save(deep.toStdString(), kFormatBmp));
        }
        for (const bool eightBit : {true, false}) {
            Start({eightBit ? m_picture : deep});
            SetClientSize(300, 200);
            if (eightBit) {
                Trigger(cmd::kEightBitColour);
                QCOMPARE(Doc().Header().bitsPerPixel, 8);
            }
            Frame()->Dispatch(cmd::kMeasureTools);
            QVERIFY(Micro().palette() && Micro().palette()->isVisible());
            MeasureSettings& settings = Micro().settings();
            settings.refDx = 10, settings.refDy = 0, settings.refLength = 1, settings.unitName = "um";
            const size_t messages = MessageCount();
            CDlg_MicroTools* palette = Micro().palette();
            QWidget* port = View()->viewport();
            auto changedIn = [&](const QImage& before, const QRect& picture) {
                const QImage after = Grab();
                int changed = 0;
                for (int y = picture.top(); y <= picture.bottom(); ++y)
                    for (int x = picture.left(); x <= picture.right(); ++x)
                        changed += after.pixel(At(x, y)) != before.pixel(At(x, y));
                return changed;
            };

            QImage before = Grab();
            QTest::mouseClick(palette->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
            Drag(At(10, 10), At(50, 10));
            QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
            QCOMPARE(MeasuresOf(Doc()).Object(0).length, 4.0f);
            QVERIFY(changedIn(before, QRect(20, 9, 20, 3)) > 20);

            before = Grab();
            QTest::mouseClick(palette->Button(cmd::kToolPointMark), Qt::LeftButton);
            QTest::mouseClick(port, Qt::LeftButton, {}, At(70, 30));
            QCoreApplication::processEvents();
            QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 2);
            QVERIFY(changedIn(before, QRect(60, 15, 30, 20)) > 5);

            before = Grab();
            QTest::mouseClick(palette->Button(cmd::kToolMeasureRectangle), Qt::LeftButton);
            Drag(At(20, 25), At(60, 45));
            QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 3);
            QCOMPARE(MeasuresOf(Doc()).Object(2).area, 8.0f);
            QVERIFY(changedIn(before, QRect(25, 45, 30, 1)) > 20);
            QCOMPARE(MessageCount(), messages);
            Stop();
        }
    }

    void theEnvironmentDialogHandsItsChoicesOver() {
        StartMeasuring();
        Micro().colourChooser = [](uint32_t) -> std::optional<uint32_t> { return 0x00FF00u; };
        ANSWER_NEXT_MODAL(CDlg_Mic_Env, [](CDlg_Mic_Env* d) {
            QCOMPARE(d->tabs()->count(), 4);
            QCOMPARE(d->lineWidths()->count(), 7);
            QCOMPARE(d->fontSizes()->itemText(0), QString("5"));
            QCOMPARE(d->fontSizes()->itemText(19), QString("24"));
            QStringList faces;
            for (int i = 0; i < d->faces()->count(); ++i) faces << d->faces()->itemText(i);
            QVERIFY(faces.size() > 1);
            d->markStyles()->button(4)->click();
            d->lineWidths()->setCurrentText("3");
            d->lineColourButton()->click();
            d->accept();
        });
        Frame()->Dispatch(cmd::kAnalysisSettings);
        RETURN_IF_ANSWER_FAILED();
        const MeasureSettings& s = Micro().settings();
        QCOMPARE(int(s.markStyle), 4);
        QCOMPARE(Frame()->env().pointStyle, 4);
        QCOMPARE(s.lineWidth, std::string("3"));
        QCOMPARE(s.lineColour, 0x00FF00u);
        QCOMPARE(CDlg_Mic_Env::SortedFaces({"b", "a", "c", "a"}), QStringList({"a", "a", "b", "c"}));
    }

    void theWorkbookIsWrittenAndHandedToTheDesktop() {
        StartMeasuring();
        QTest::mouseClick(Micro().palette()->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
        Drag(At(10, 10), At(50, 30));
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
        const QString book = m_dir.filePath("out.xlsx");
        ANSWER_NEXT_MODAL(DlgExcel, [book](DlgExcel* d) {
            QCOMPARE(d->sheets()->count(), 1);
            d->path()->setText(book);
            d->convertButton()->click();
            QVERIFY(d->exported());
            d->accept();
        });
        Frame()->Dispatch(cmd::kExportWorkbook);
        RETURN_IF_ANSWER_FAILED();
        QVERIFY(QFileInfo(book).size() > 0);
        const std::vector<std::string>& opened = m_app->platform().openedFiles();
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(QString::fromStdString(opened.front()), book);
    }

    // The dialog's text export that cannot write its file tells the user which file and why.
    void aFailedTextExportSaysWhichFileAndWhy() {
        StartMeasuring();
        QTest::mouseClick(Micro().palette()->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
        Drag(At(10, 10), At(50, 30));
        // The text goes beside the workbook the dialog proposes.
        const std::filesystem::path target = m_dir.filePath(Text(mtexts::kMeasureTextFile)).toStdString();
        std::filesystem::remove(target);
        std::filesystem::create_directories(target);  // a folder where the file should go
        const size_t before = MessageCount();
        ANSWER_NEXT_MODAL(DlgExcel, [this](DlgExcel* d) {
            d->path()->setText(m_dir.filePath("book.xlsx"));
            d->textButton()->click();
            QVERIFY(!d->exported());
            d->accept();
        });
        Frame()->Dispatch(cmd::kExportWorkbook);
        std::filesystem::remove(target);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(MessageCount(), before + 1);
        QVERIFY2(LastMessage().contains(Text(FileFailureText(mtexts::kMeasureTextWriteFailed,
                                                             target.string() + ": " + texts::kReasonIsFolder)
                                                 .c_str())),
                 qPrintable(LastMessage()));
    }

private:
    // Segments drawn with the segment tool at a calibration of one unit a pixel.
    void MeasureSegments(const std::vector<std::pair<QPoint, QPoint>>& segments) {
        MeasureSettings& settings = Micro().settings();
        settings.refDx = 10, settings.refDy = 0, settings.refLength = 10, settings.unitName = "um";
        QTest::mouseClick(Micro().palette()->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
        for (const auto& [from, to] : segments) Drag(At(from.x(), from.y()), At(to.x(), to.y()));
    }
    void Keys(QKeySequence keys) {
        View()->setFocus();
        QTest::keySequence(View(), keys);
        QCoreApplication::processEvents();
    }
    // Which of some commands the context menu the canvas shows at a window point offers.
    QList<int> ContextMenuAt(QPoint at) {
        QList<int> ids;
        QTimer::singleShot(0, [this, &ids] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions())
                for (int id : {cmd::kMeasureEditUndo, cmd::kMeasureEditRedo, cmd::kMeasureContinuousOff,
                               cmd::kAnalysisSettings, cmd::kZoomIn, cmd::kEditUndo})
                    if (action == Frame()->Action(id) || (action->data().isValid() && action->data().toInt() == id)) ids << id;
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, View()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(View()->viewport(), &event);
        QCoreApplication::processEvents();
        return ids;
    }

private Q_SLOTS:
    void undoAndRedoWhileMeasuringTakeOneObjectOutAndBack() {
        StartMeasuring();
        MeasureSegments({{QPoint(10, 10), QPoint(50, 10)}, {QPoint(10, 20), QPoint(60, 20)}, {QPoint(10, 30), QPoint(70, 30)}});
        const MeasureSet& set = MeasuresOf(Doc());
        QCOMPARE(set.LiveObjects(), 3);
        // The zoom tool, clicked on the picture.
        Trigger(cmd::kZoomIn);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, At(50, 25));
        QCoreApplication::processEvents();
        const float zoom = View()->document().view().zoom;
        QVERIFY(zoom > 1.0f);

        Keys(QKeySequence("Ctrl+Z"));
        QCOMPARE(set.ObjectCount(), 2);
        QVERIFY(set.MeasureLayerIndex() >= 0);
        QCOMPARE(View()->document().view().zoom, zoom);
        Keys(QKeySequence("Ctrl+Z"));
        QCOMPARE(set.ObjectCount(), 1);
        Keys(QKeySequence("Ctrl+Y"));
        QCOMPARE(set.ObjectCount(), 2);
        QCOMPARE(View()->document().view().zoom, zoom);
        QCOMPARE(set.Object(1).length, 50.0f);
    }

    void theMeasuringModeHasItsOwnContextMenu() {
        StartMeasuring();
        MeasureSegments({{QPoint(10, 10), QPoint(50, 10)}, {QPoint(10, 20), QPoint(60, 20)}});
        const QList<int> ids = ContextMenuAt(At(80, 40));
        QVERIFY2(ids.contains(cmd::kMeasureEditUndo) && ids.contains(cmd::kMeasureEditRedo) &&
                     ids.contains(cmd::kMeasureContinuousOff) && ids.contains(cmd::kAnalysisSettings),
                 qPrintable(QString::number(ids.size())));
        QVERIFY(!ids.contains(cmd::kEditUndo));
        // Its items take one object out and back.
        Trigger(cmd::kMeasureEditUndo);
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
        Trigger(cmd::kMeasureEditRedo);
        QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 2);

        // Without the palette and a measuring tool the canvas shows its usual menu.
        Frame()->Dispatch(cmd::kMeasureTools);
        Frame()->Dispatch(cmd::kMeasureContinuousOff);
        Frame()->SetCurrentTool(cmd::kNone);
        QVERIFY(ContextMenuAt(At(80, 40)).contains(cmd::kEditUndo));
    }

    void aMeasuredPictureIsSavedAsAMeasurementDocumentAndClosesWithoutAQuestion() {
        StartMeasuring();
        MeasureSegments({{QPoint(10, 10), QPoint(50, 10)}});
        QCOMPARE(MeasuresOf(Doc()).LiveObjects(), 1);
        const QString target = m_dir.filePath("measured.mzr");
        QStringList proposed;
        Frame()->savePathPrompt = [&](const QString& name) {
            proposed << name;
            return target;
        };
        Keys(QKeySequence("Ctrl+S"));
        // Saving over pic.bmp would keep the figures only as pixels.
        QCOMPARE(proposed, QStringList{"pic.mzr"});
        QVERIFY(QFileInfo(target).size() > 0);
        QVERIFY(!Doc().IsModified());

        const size_t before = MessageCount();
        Trigger(cmd::kFileClose);
        QCOMPARE(MessageCount(), before);
        QVERIFY(Frame()->Views().isEmpty());

        QVERIFY(Frame()->OpenDocument(target));
        QCOMPARE(MeasuresOf(Doc()).LiveObjects(), 1);
        QCOMPARE(MeasuresOf(Doc()).Object(0).length, 40.0f);
        // Unchanged since it was opened: no question either.
        Trigger(cmd::kFileClose);
        QCOMPARE(MessageCount(), before);
    }

    void theExportsStartBesideThePictureAndSayWhereTheyWent() {
        StartMeasuring();
        MeasureSegments({{QPoint(10, 10), QPoint(50, 10)}});
        const QString chosenFolder = m_dir.filePath("exports");
        QVERIFY(QDir().mkpath(chosenFolder));
        const QString chosen = QDir(chosenFolder).filePath("cells.xlsx");
        const QString missing = m_dir.filePath("no-such-folder/cells.xlsx");
        ANSWER_NEXT_MODAL(DlgExcel, [&](DlgExcel* d) {
            // The picture's own folder, not the program's data folder.
            QCOMPARE(QFileInfo(d->path()->text()).absolutePath(), QFileInfo(m_picture).absolutePath());
            auto* browse = d->findChild<QPushButton*>("browse");
            QVERIFY(browse);
            ANSWER_NEXT_MODAL(QFileDialog, [&](QFileDialog* f) {
                f->selectFile(chosen);
                static_cast<QDialog*>(f)->accept();
            });
            browse->click();
            QCOMPARE(QFileInfo(d->path()->text()).absoluteFilePath(), chosen);

            size_t before = MessageCount();
            d->convertButton()->click();
            QVERIFY(d->exported());
            QVERIFY(QFileInfo(chosen).size() > 0);
            QCOMPARE(MessageCount(), before + 1);
            QVERIFY2(LastMessage().contains(QDir::toNativeSeparators(chosen)), qPrintable(LastMessage()));

            // The text export goes beside the workbook and says so.
            before = MessageCount();
            d->textButton()->click();
            const QString text = QDir(chosenFolder).filePath("MicroMeasure.txt");
            QVERIFY(QFileInfo(text).size() > 0);
            QCOMPARE(MessageCount(), before + 1);
            QVERIFY2(LastMessage().contains(text), qPrintable(LastMessage()));

            // Failures show a box naming the file.
            d->path()->setText(missing);
            for (QPushButton* button : {d->convertButton(), d->textButton()}) {
                before = MessageCount();
                button->click();
                QVERIFY(!d->exported());
                QCOMPARE(MessageCount(), before + 1);
                QVERIFY2(LastMessage().contains(QFileInfo(missing).absolutePath()), qPrintable(LastMessage()));
            }
            d->accept();
        });
        Frame()->Dispatch(cmd::kExportWorkbook);
        RETURN_IF_ANSWER_FAILED();
    }

    void aWorkbookTheDesktopCannotOpenIsReportedInABox() {
        StartMeasuring();
        MeasureSegments({{QPoint(10, 10), QPoint(50, 10)}});
        // An opener that fails as xdg-open does when no program takes the file.
        const QString opener = m_dir.filePath("failing-opener.sh");
        {
            QFile script(opener);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\necho \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n");
        }
        QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_app->platform().SetOpener(opener);
        const QString book = m_dir.filePath("unopened.xlsx");
        ANSWER_NEXT_MODAL(DlgExcel, [&](DlgExcel* d) {
            d->path()->setText(book);
            const size_t before = MessageCount();
            d->convertButton()->click();
            QVERIFY(d->exported());
            // The message that the workbook was written, then the opener's failure.
            QTRY_COMPARE(MessageCount(), before + 2);
            QVERIFY2(LastMessage().contains("no method available"), qPrintable(LastMessage()));
            QVERIFY(LastMessage().contains(book));
            d->accept();
        });
        Frame()->Dispatch(cmd::kExportWorkbook);
        RETURN_IF_ANSWER_FAILED();
    }

    void pickingTheReferenceKeepsTheEntriesAndSaysWhatToDraw() {
        StartMeasuring();
        ANSWER_NEXT_MODAL(Dlg_Calibration, [](Dlg_Calibration* d) {
            d->unitName()->setCurrentText("mm");
            d->length()->setText("15");
            d->pickButton()->click();
        });
        Frame()->Dispatch(cmd::kSetReference);
        RETURN_IF_ANSWER_FAILED();
        auto* hint = Micro().palette()->findChild<QLabel*>("referencePickHint");
        QVERIFY(hint);
        QVERIFY(hint->isVisible());
        QCOMPARE(Frame()->statusBar()->currentMessage(), hint->text());

        QWidget* port = View()->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, At(10, 20));
        QTest::mouseMove(port, At(40, 24));
        QTest::mouseRelease(port, Qt::LeftButton, {}, At(40, 24));
        ANSWER_NEXT_MODAL(Dlg_Calibration, [](Dlg_Calibration* d) {
            QCOMPARE(d->pixelsX()->text(), QString("30"));
            QCOMPARE(d->unitName()->currentText(), QString("mm"));
            QCOMPARE(d->length()->text(), QString("15"));
            d->accept();
        });
        QTRY_COMPARE(Micro().settings().refDx, 30);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Micro().settings().unitName, std::string("mm"));
        QVERIFY(!hint->isVisible());
        QVERIFY(Frame()->statusBar()->currentMessage().isEmpty());
    }

    void theMultiFocusWarningNamesThePictureLeftOut() {
        Start({m_picture});
        // Saved under another name, the picture is known by that name.
        const QString renamed = m_dir.filePath("focus-left-out.qvx");
        Frame()->savePathPrompt = [&](const QString&) { return renamed; };
        Trigger(cmd::kFileSaveAs);
        QVERIFY(QFileInfo::exists(renamed));
        const QString other = m_dir.filePath("focus-other.bmp");
        QVERIFY(WritePicture(other, 60, 40));
        QVERIFY(Frame()->OpenDocument(other));
        const size_t before = MessageCount();
        Frame()->Dispatch(cmd::kMultiFocus);
        QCOMPARE(MessageCount(), before + 1);
        QVERIFY2(LastMessage().startsWith("[focus-left-out.qvx]"), qPrintable(LastMessage()));
    }
};

QUILLORY_SHELL_TEST(MeasureWindowTest)
#include "MeasureWindowTest.moc"
