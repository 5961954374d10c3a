// Every item of the main menu and of the context menus, run in the real window on each
// kind of document: pictures of 1, 4, 8, 24 and 32 bits, two layers with a selection, a
// selection suspended by the lost focus, a text layer and a measurement layer. A table
// says what each item must do there: record its step, refuse with its message, open
// its dialog, only choose a tool or change the view, or stay disabled. One window per
// kind; the history goes back to where it stood after each item.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>


#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/CVandDoc.h"
#include "document/LayerRecord.h"
#include "document/SelectionMask.h"
#include "document/UndoHistory.h"
#include "measure/MeasureSet.h"
#include "shell/CDlg_CanvasSize.h"
#include "shell/CDlg_ImageSize.h"
#include "shell/CDlg_ImgFrame.h"
#include "shell/CDlg_Layer.h"
#include "shell/CDlg_MicroTools.h"
#include "shell/CDlg_OneClickDica.h"
#include "shell/MenuTable.h"
#include "shell/MicroCommands.h"
#include "shell/QtPlatform.h"
#include "shell/TextEntryView.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// ---------------------------------------------------------------------------------------
// Document kinds.

enum Kind { kBits1, kBits4, kBits8, kBits24, kBits32, kTwoLayers, kSuspended, kTextLayer, kMeasureLayer, kKindCount };
const char* const kKindNames[kKindCount] = {"1-bit", "4-bit", "8-bit", "24-bit", "32-bit",
                                            "two layers + selection", "suspended selection", "text layer",
                                            "measurement layer"};
using Kinds = unsigned;
constexpr Kinds Of(Kind k) { return 1u << k; }
constexpr Kinds kAll = (1u << kKindCount) - 1;
constexpr Kinds kPaletted = Of(kBits1) | Of(kBits4) | Of(kBits8);
constexpr Kinds kDirect = kAll & ~kPaletted;
constexpr Kinds kWithSelection = Of(kTwoLayers) | Of(kSuspended);
constexpr Kinds kNotRaster = Of(kTextLayer) | Of(kMeasureLayer);

// ---------------------------------------------------------------------------------------
// What an item does.

enum class Does {
    Step,       // records the named step (after its dialog, accepted, when it has one)
    Refuses,    // shows the message and leaves the document alone
    Dialog,     // opens a dialog (closed unanswered) and leaves the document alone
    Tool,       // chooses itself as the current tool
    Quiet,      // changes the view or the windows only
    Undoes,     // the history steps back
    Redoes,     // the history steps forward
    NewWindow,  // a new picture window
    Saves,      // the picture is written and no longer counts as changed
    Closes,     // the picture's window closes
    Changes,    // changes the document without a step of the history
    Disabled,   // the item cannot be chosen
    Skip,       // not run here (the comment says why and what it must do)
    Absent,     // not in the menu shown there (measuring has a canvas menu of its own)
};

struct Expect {
    Does does = Does::Quiet;
    const char* text = "";  // the step's name or the message
};

Expect Step(const char* name) { return {Does::Step, name}; }
Expect Refuses(const char* message) { return {Does::Refuses, message}; }
Expect Skip(const char* why) { return {Does::Skip, why}; }
constexpr Expect kDialog{Does::Dialog, ""};
constexpr Expect kTool{Does::Tool, ""};
constexpr Expect kQuiet{Does::Quiet, ""};
constexpr Expect kUndoes{Does::Undoes, ""};
constexpr Expect kRedoes{Does::Redoes, ""};
constexpr Expect kNewWindow{Does::NewWindow, ""};
constexpr Expect kSaves{Does::Saves, ""};
constexpr Expect kCloses{Does::Closes, ""};
constexpr Expect kChanges{Does::Changes, ""};
constexpr Expect kDisabled{Does::Disabled, ""};
constexpr Expect kAbsent{Does::Absent, ""};

enum class Route { MainMenu, CanvasMenu, LayerMenu };
enum class Answer { Accept, Reject };

// What an item must do on each kind. A context menu's item is judged by its own row when
// it has one, else by the main menu's row of the same command.
struct Row {
    int id;
    Route route;
    Answer answer;
    Expect all;                                    // on every kind ...
    std::vector<std::pair<Kinds, Expect>> except;  // ... but these (the first that names the kind)

    Expect On(Kind kind) const {
        for (const auto& [kinds, expect] : except)
            if (kinds & Of(kind)) return expect;
        return all;
    }
};

// ---------------------------------------------------------------------------------------
// The table.

const char* const kNotOnText = "현재는 [Text:글] 레이어. \n\r레이어창에서 다른 레이어 선택";
const char* const kNotVector = "벡터형식이 아닌 레이어만 복사할 수 있습니다.";
const char* const kTextLayerHere = "[글]레이어 입니다. [레스터 형식 변환] 후 다시 실행하십시요.";
const char* const kTextLayerInside = "[글]레이어가 포함되어 있습니다. [레스터 형식 변환] 후 다시 실행하십시요.";

const std::vector<Row>& ExpectationTable() {
    using namespace cmd;
    const Route M = Route::MainMenu, C = Route::CanvasMenu, L = Route::LayerMenu;
    const Answer A = Answer::Accept, R = Answer::Reject;
    static const std::vector<Row> rows = {
#include "MenuSweepTable.inc"
    };
    return rows;
}

const Row* FindRow(int id, Route route) {
    for (const Row& row : ExpectationTable())
        if (row.id == id && row.route == route) return &row;
    if (route != Route::MainMenu) return FindRow(id, Route::MainMenu);
    return nullptr;
}

// Every item of the menus, in their order; the items that close windows come last.
std::vector<std::pair<int, Route>> SweepItems() {
    std::vector<std::pair<int, Route>> items, closing;
    std::function<void(const MenuItem&, Route)> collect = [&](const MenuItem& item, Route route) {
        if (item.id > 0 && !item.recentFiles) {
            const bool closes = item.id == cmd::kFileClose || item.id == cmd::kCloseAll || item.id == cmd::kAppExit;
            (closes ? closing : items).push_back({item.id, route});
        }
        for (const MenuItem& child : item.children) collect(child, route);
    };
    for (const MenuItem& menu : MainMenu().menus) collect(menu, Route::MainMenu);
    collect(CanvasContextMenu(), Route::CanvasMenu);
    // The measuring mode's menu: its own items, through the frame.
    const std::vector<int> inMainMenu = MainMenuCommands();
    for (const MenuItem& child : MeasureContextMenu().children)
        if (child.id > 0 && std::find(inMainMenu.begin(), inMainMenu.end(), child.id) == inMainMenu.end())
            items.push_back({child.id, Route::MainMenu});
    collect(LayerContextMenu(), Route::LayerMenu);
    items.insert(items.end(), closing.begin(), closing.end());
    return items;
}

// ---------------------------------------------------------------------------------------
// Answers every dialog that opens while an item runs, and records what it saw.

class DialogWatcher : public QObject {
public:
    explicit DialogWatcher(Answer answer) : m_answer(answer) {
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
        m_timer.start();
    }
    QStringList dialogs;   // class names, in order
    QStringList boxTexts;  // message boxes shown by Qt itself
    bool stuck = false;    // a dialog would not close

private:
    void Tick() {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (modal != m_current) {
            m_current = modal;
            m_since.start();
            dialogs << modal->metaObject()->className();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) boxTexts << box->text();
            Respond(modal, m_answer);
            return;
        }
        // Still open after its answer: cancel it, then close it by force.
        if (m_since.elapsed() > 3000) {
            stuck = true;
            modal->close();
        } else if (m_since.elapsed() > 1000) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        }
    }
    static void Respond(QWidget* modal, Answer answer) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        // Files and printers are never chosen here.
        const QString name = modal->metaObject()->className();
        if (answer == Answer::Reject || name.contains("File") || name.contains("Print") || name.contains("PageSetup")) {
            dialog->reject();
            return;
        }
        // Answers that change something: a frame chosen, the canvas larger, the picture smaller.
        if (auto* input = qobject_cast<QInputDialog*>(modal)) input->setTextValue("sweep");
        if (auto* frame = qobject_cast<CDlg_ImgFrame*>(modal)) frame->frameButton(0)->click();
        if (auto* canvas = qobject_cast<CDlg_CanvasSize*>(modal)) {
            canvas->widthBox()->setValue(canvas->widthBox()->value() + 20);
            canvas->heightBox()->setValue(canvas->heightBox()->value() + 10);
        }
        if (auto* size = qobject_cast<CDlg_ImageSize*>(modal)) size->widthBox()->setValue(size->widthBox()->value() - 20);
        dialog->accept();
    }

    Answer m_answer;
    QTimer m_timer;
    QPointer<QWidget> m_current;
    QElapsedTimer m_since;
};

// The document as the user could tell it apart: size, depth, and each layer in list order.
QByteArray Fingerprint(CVandDoc& d) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const DocumentHeader& h = d.Header();
    const int32_t head[] = {h.width, h.height, h.bitsPerPixel, h.colourCount, d.CurrentLayer()};
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(head), sizeof head));
    for (int i = 0; i < kMaxLayers; ++i) {
        if (!d.IsLayerInList(i)) continue;
        const LayerRecord& l = d.Layer(i);
        const int32_t fields[] = {i, l.kind, l.blendMode, l.x, l.y, l.width, l.height, l.visible, l.transparency,
                                  l.effectOn, l.effectSize, l.textColour, l.prev, l.next};
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(fields), sizeof fields));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(l.name), sizeof l.name));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(l.pixels.data()), qsizetype(l.pixels.size())));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(l.alpha.data()), qsizetype(l.alpha.size())));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(l.text.data()), qsizetype(l.text.size() * 2)));
    }
    return hash.result();
}

QString Label(int id) { return QString::fromStdString(CommandLabel(id)).split('\t').first(); }

QString Describe(const Expect& e) {
    switch (e.does) {
        case Does::Step: return QString("step \"%1\"").arg(QString::fromUtf8(e.text));
        case Does::Refuses: return QString("refusal \"%1\"").arg(QString::fromUtf8(e.text));
        case Does::Dialog: return "a dialog";
        case Does::Tool: return "the tool";
        case Does::Quiet: return "no change to the document";
        case Does::Undoes: return "a step back";
        case Does::Redoes: return "a step forward";
        case Does::NewWindow: return "a new window";
        case Does::Saves: return "a save";
        case Does::Closes: return "the window closed";
        case Does::Changes: return "a change without a step";
        case Does::Disabled: return "disabled";
        case Does::Skip: return "skip";
        case Does::Absent: return "not shown";
    }
    return {};
}

}  // namespace

class MenuSweepTest : public EditorFixture {
    Q_OBJECT

    struct Seen {
        bool found = false;    // the item stands in the menu it was looked for in
        bool enabled = false;
        QStringList dialogs;
        QStringList messages;  // the engine's messages
        QStringList boxTexts;  // Qt's own message boxes
        int historyMoved = 0;  // steps the history position moved
        std::string step;      // the newest step's name afterwards
        bool changed = false;  // the document differs
        bool stuck = false;
        int viewsAdded = 0;
        int tool = cmd::kNone;
        bool modified = false;
        bool ownViewGone = false;
    };

    struct Baseline {
        QByteArray print;
        int position = 0;
        int tool = cmd::kNone;
        uint8_t selectionActive = 0, suspended = 0;
        bool layerWindow = false, quickEdit = false, grid = false, fit = false;
    };

    QString m_files[kKindCount];
    QPointer<CVandView> m_view;  // the kind's own window
    Baseline m_base;
    int m_saved = 0;

    static QRgb Colour(int x, int y) { return PictureColour(x, y); }

    QString WriteKind(Kind kind) {
        const int w = 100, h = 50;
        const int bits = kind == kBits1 ? 1 : kind == kBits4 ? 4 : kind == kBits8 ? 8 : kind == kBits32 ? 32 : 24;
        const QString path = m_dir.filePath(QString("kind%1.bmp").arg(int(kind)));
        NyZazo picture(w, h, bits, kFormatBmp);
        if (bits <= 8) {
            const int colours = 1 << bits;
            for (int i = 0; i < colours; ++i) {
                const int v = i * 255 / (colours - 1);
                picture.SetPaletteColour(i, uint8_t(v), uint8_t(255 - v), uint8_t((v * 7) & 0xFF));
            }
        }
        for (int y = 0; y < h; ++y) {
            uint8_t* row = picture.Row(y);
            for (int x = 0; x < w; ++x) {
                const QRgb c = Colour(x, y);
                if (bits == 1) {
                    if ((x / 3 + y / 4) % 2) row[x / 8] |= uint8_t(0x80 >> (x % 8));
                } else if (bits == 4) {
                    const uint8_t v = uint8_t((x / 6 + y / 3) % 16);
                    row[x / 2] |= (x % 2) ? v : uint8_t(v << 4);
                } else if (bits == 8) {
                    row[x] = uint8_t((x * 2 + y) % 256);
                } else {
                    const int n = bits / 8;
                    row[n * x] = uint8_t(qBlue(c)), row[n * x + 1] = uint8_t(qGreen(c)), row[n * x + 2] = uint8_t(qRed(c));
                    if (n == 4) row[4 * x + 3] = uint8_t(x < 50 ? 255 : 128 + y);
                }
            }
        }
        return picture.Save(path.toStdString(), kFormatBmp) ? path : QString();
    }

    QPoint At(int x, int y) {
        const ViewState& s = View()->document().view();
        return QPoint(s.pictureRect.left + x - s.scrollX, s.pictureRect.top + y - s.scrollY);
    }

    // A rectangle selected with the mouse; suspended by the focus leaving the window.
    void MakeSelection(Kind kind) {
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(View(), &in);
        Frame()->SetCurrentTool(cmd::kToolRectSelect);
        Drag(At(20, 10), At(70, 40));
        View()->viewport()->repaint();
        QVERIFY(Doc().State().selection.selectionActive);
        if (kind == kSuspended) {
            QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(View(), &out);
            QVERIFY(Doc().State().selection.suspended);
            QVERIFY(!Doc().State().selection.selectionActive);
        }
    }

    // Opens the picture of the kind and brings it into the kind's state.
    void BuildKind(Kind kind) {
        Stop();
        // A copy of its own: saving from the sweep writes over it.
        const QString copy = m_dir.filePath(QString("%1.bmp").arg(QString(kKindNames[kind]).replace(' ', '_')));
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_files[kind <= kBits32 ? kind : kBits24], copy));
        Start({copy});
        Frame()->savePathPrompt = [this](const QString& proposed) {
            return m_dir.filePath(QString("saved%1-").arg(++m_saved) + QFileInfo(proposed).fileName());
        };
        Frame()->saveOptionsPrompt = [](int, SaveOptions&) { return true; };
        SetClientSize(300, 200);
        View()->setFocus();
        switch (kind) {
            case kTwoLayers:
                Trigger(cmd::kLayerDuplicate);
                QCOMPARE(Doc().CountLayers(), 2);
                [[fallthrough]];
            case kSuspended: MakeSelection(kind); break;
            case kTextLayer: {
                Frame()->env().faceName = u"NanumGothic";
                Trigger(cmd::kToolText);
                QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, At(10, 10));
                QVERIFY(View()->textEntry().Active());
                QInputMethodEvent typed(QString(), {});
                typed.setCommitString("Quill");
                QApplication::sendEvent(View(), &typed);
                QTest::keyClick(View(), Qt::Key_Return, Qt::ControlModifier);
                QCOMPARE(int(Doc().Layer(Doc().CurrentLayer()).kind), int(LayerKind::Text));
                break;
            }
            case kMeasureLayer: {
                Frame()->Dispatch(cmd::kMeasureTools);
                CDlg_MicroTools* palette = Frame()->micro().palette();
                QVERIFY(palette);
                QTest::mouseClick(palette->Button(cmd::kToolMeasureSegment), Qt::LeftButton);
                Drag(At(10, 10), At(60, 30));
                QCOMPARE(MeasuresOf(Doc()).ObjectCount(), 1);
                QCOMPARE(int(Doc().Layer(Doc().CurrentLayer()).kind), int(LayerKind::Measure));
                break;
            }
            default: break;
        }
        // A picture on the clipboard for paste.
        QImage clip(12, 8, QImage::Format_RGB32);
        clip.fill(qRgb(10, 200, 30));
        QApplication::clipboard()->setImage(clip);
        m_view = View();
        TakeBaseline();
    }

    bool Checked(int id) {
        Frame()->RefreshCommandStates();
        QAction* a = Frame()->Action(id);
        return a && a->isChecked();
    }

    void TakeBaseline() {

        m_base.print = Fingerprint(Doc());
        m_base.position = Doc().History().StepPosition();
        m_base.tool = Frame()->currentTool();
        m_base.selectionActive = Doc().State().selection.selectionActive;
        m_base.suspended = Doc().State().selection.suspended;
        m_base.layerWindow = Checked(cmd::kLayerWindow);
        m_base.quickEdit = Checked(cmd::kQuickEditWindow);
        m_base.grid = Checked(cmd::kGrid);
        m_base.fit = Checked(cmd::kFitToWindow);
    }

    // Finds the item in the menu it belongs to and chooses it as a user would.
    void Choose(int id, Route route, Seen& seen) {
        if (route == Route::MainMenu) {
            Frame()->RefreshCommandStates();
            QAction* action = Frame()->Action(id);
            seen.found = action != nullptr;
            seen.enabled = action && action->isEnabled();
            if (seen.enabled) action->trigger();
            return;
        }
        // A context menu: opened over its window, the item picked with the keys.
        QWidget* target = View()->viewport();
        QPoint at = At(50, 25);
        if (route == Route::LayerMenu) {
            // The user opens the layer window to reach its menu.
            if (!Frame()->layerWindow() || !Frame()->layerWindow()->isVisible()) Frame()->Dispatch(cmd::kLayerWindow);
            target = Frame()->layerWindow()->layerList()->viewport();
            at = QPoint(5, 5);
        }
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions())
                if (a->data().toInt() == id && !a->isSeparator()) {
                    seen.found = true;
                    seen.enabled = a->isEnabled();
                    if (seen.enabled) {
                        menu->setActiveAction(a);
                        QTest::keyClick(menu, Qt::Key_Return);
                        return;
                    }
                }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
    }

    Seen Run(const Row& row) {
        Seen seen;
        const int viewsBefore = int(Frame()->Views().size());
        const size_t messagesBefore = MessageCount();
        {
            DialogWatcher watcher(row.answer);
            // A question about saving is answered no.
            m_app->platform().SetScriptedAnswers({MessageAnswer::No});
            Choose(row.id, row.route, seen);
            QCoreApplication::processEvents();
            seen.dialogs = watcher.dialogs;
            seen.boxTexts = watcher.boxTexts;
            seen.stuck = watcher.stuck;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto& shown = m_app->platform().shownMessages();
        for (size_t i = messagesBefore; i < shown.size(); ++i) seen.messages << QString::fromStdString(shown[i]);
        seen.ownViewGone = m_view.isNull();
        seen.viewsAdded = int(Frame()->Views().size()) - viewsBefore;
        seen.tool = Frame()->currentTool();
        if (seen.ownViewGone) return seen;
        CVandDoc& d = m_view->document().doc();
        seen.historyMoved = d.History().StepPosition() - m_base.position;
        seen.step = d.History().Entry(d.History().StepPosition()).name;
        seen.changed = Fingerprint(d) != m_base.print;

        seen.modified = d.IsModified();
        return seen;
    }

    // Empty when the item did what the table says.
    QString Judge(int id, const Expect& e, const Seen& s) {
        if (e.does == Does::Absent) return s.found ? "in a menu that should not hold it" : QString();
        if (!s.found) return "not in its menu";
        if (s.stuck) return "a dialog would not close";
        if (e.does == Does::Disabled) return s.enabled ? "enabled" : QString();
        if (!s.enabled) return "disabled";
        const QString messages = s.messages.join(" | ");
        const bool calm = s.messages.isEmpty();
        switch (e.does) {
            case Does::Step:
                if (s.historyMoved != 1 || s.step != e.text)
                    return QString("history moved %1 to \"%2\"%3").arg(s.historyMoved).arg(QString::fromStdString(s.step),
                                                                       calm ? QString() : ", said: " + messages);
                if (!calm) return "said: " + messages;
                return {};
            case Does::Refuses:
                if (s.messages.value(0) != QString::fromUtf8(e.text))
                    return calm ? QString("no message") : "said: " + messages;
                if (s.changed || s.historyMoved) return "changed the document as well";
                return {};
            case Does::Dialog:
                if (s.dialogs.isEmpty()) return "no dialog";
                if (s.changed || s.historyMoved) return "changed the document";
                return calm ? QString() : "said: " + messages;
            case Does::Tool:
                if (!calm) return "said: " + messages;
                if (s.tool != id) return QString("the current tool is %1").arg(s.tool);
                if (s.changed || s.historyMoved) return "changed the document";
                return {};
            case Does::Quiet:
                if (!calm) return "said: " + messages;
                if (!s.dialogs.isEmpty()) return "opened " + s.dialogs.join(", ");
                if (s.changed || s.historyMoved) return "changed the document";
                return {};
            case Does::Undoes:
            case Does::Redoes:
                if (s.historyMoved != (e.does == Does::Undoes ? -1 : 1)) return QString("history moved %1").arg(s.historyMoved);
                return calm ? QString() : "said: " + messages;
            case Does::NewWindow:
                if (s.viewsAdded < 1) return calm ? QString("no new window") : "said: " + messages;
                return {};
            case Does::Changes:
                if (!calm) return "said: " + messages;
                if (!s.changed || s.historyMoved) return QString("history moved %1, changed %2").arg(s.historyMoved).arg(s.changed);
                return {};
            case Does::Closes:
                if (!s.ownViewGone) return calm ? QString("still open") : "said: " + messages;
                return {};
            case Does::Saves:
                if (!calm) return "said: " + messages;
                if (s.modified) return "still counts as changed";
                return {};
            default: return {};
        }
    }

    static QString Observed(const Seen& s) {
        if (!s.found) return "MISSING";
        if (!s.enabled) return "kDisabled";
        QStringList parts;
        if (!s.dialogs.isEmpty()) parts << "dialog " + s.dialogs.join(",");
        if (!s.messages.isEmpty()) parts << "msg \"" + s.messages.join(" | ").replace("\n", "\\n").replace("\r", "\\r") + "\"";
        if (!s.boxTexts.isEmpty()) parts << "box \"" + s.boxTexts.join(" | ") + "\"";
        if (s.historyMoved) parts << QString("moved %1 step \"%2\"").arg(s.historyMoved).arg(QString::fromStdString(s.step));
        if (s.changed && !s.historyMoved) parts << "CHANGED WITHOUT STEP";
        if (s.viewsAdded) parts << QString("views %1").arg(s.viewsAdded);
        if (s.ownViewGone) parts << "closed";
        parts << QString("tool %1").arg(s.tool);
        return parts.join("; ");
    }

    // Back to the kind's state: other windows closed, history and tool as they were.
    // False when the kind has to be built again.
    bool Restore(Kind kind, bool& undoFailed, bool recordedStep) {
        undoFailed = false;
        for (CVandView* view : Frame()->Views()) {
            if (view == m_view) continue;
            if (&view->document().doc() != &m_view->document().doc()) view->document().doc().SetModified(false);
            view->parentWidget()->close();
        }
        QCoreApplication::processEvents();
        if (m_view.isNull()) return false;
        m_app->platform().SetScriptedAnswers({});
        if (auto* child = qobject_cast<QMdiSubWindow*>(m_view->parentWidget())) Frame()->mdiArea()->setActiveSubWindow(child);
        CVandDoc& d = m_view->document().doc();
        for (int guard = 0; guard < 8 && d.History().StepPosition() > m_base.position; ++guard) Frame()->Dispatch(cmd::kEditUndo);
        for (int guard = 0; guard < 8 && d.History().StepPosition() < m_base.position; ++guard) Frame()->Dispatch(cmd::kEditRedo);
        if (d.History().StepPosition() != m_base.position) return false;
        if (Frame()->currentTool() != m_base.tool) Frame()->SetCurrentTool(m_base.tool);
        for (auto [id, was] : {std::pair{cmd::kLayerWindow, m_base.layerWindow}, {cmd::kQuickEditWindow, m_base.quickEdit},
                               {cmd::kGrid, m_base.grid}, {cmd::kFitToWindow, m_base.fit}})
            if (Checked(id) != was) Frame()->Dispatch(id);
        if (m_view->document().view().zoom != 1.0f) Frame()->Dispatch(cmd::kActualSize);
        QCoreApplication::processEvents();
        // The window that a dialog took the focus from gets it back.
        if (m_base.selectionActive && d.State().selection.suspended) {
            QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(m_view, &in);
        }
        // The history brings back the selection as it was at the step (none at the first ones).
        const SelectionMask& sel = d.State().selection;
        if (sel.selectionActive != m_base.selectionActive || sel.suspended != m_base.suspended) {
            if (m_base.selectionActive || m_base.suspended) MakeSelection(kind);
            else Frame()->Dispatch(cmd::kDeselect);
            Frame()->SetCurrentTool(m_base.tool);
        }
        const bool same = Fingerprint(d) == m_base.print;
        if (!same && recordedStep) undoFailed = true;

        return same && sel.selectionActive == m_base.selectionActive && sel.suspended == m_base.suspended;
    }

    void SweepKind(Kind kind) {
        BuildKind(kind);
        if (QTest::currentTestFailed()) return;
        const bool logging = qEnvironmentVariableIsSet("QUILLORY_SWEEP_LOG");
        QStringList failures;
        int cells = 0, changed = 0, refused = 0, dialogs = 0, rebuilt = 0;
        const auto items = SweepItems();
        for (size_t n = 0; n < items.size(); ++n) {
            const auto [id, route] = items[n];
            const Row* found = FindRow(id, route);
            if (!found) {
                failures << QString("%1 %2: no row in the table").arg(id).arg(Label(id));
                continue;
            }
            Row row = *found;
            row.route = route;
            const Expect expect = row.On(kind);
            if (expect.does == Does::Skip) continue;
            ++cells;
            QElapsedTimer clock;
            clock.start();
            const Seen seen = Run(row);
            const qint64 ms = clock.elapsed();
            const QString where = QString("%1 %2 (%3)").arg(row.id).arg(Label(row.id),
                                                                         row.route == Route::MainMenu     ? "menu"
                                                                         : row.route == Route::CanvasMenu ? "canvas menu"
                                                                                                          : "layer menu");
            if (logging) qInfo().noquote() << kKindNames[kind] << "|" << where << "|" << Observed(seen) << "|" << ms << "ms";
            const QString fault = Judge(row.id, expect, seen);
            if (!fault.isEmpty())
                failures << QString("%1: expected %2, got: %3 [%4]").arg(where, Describe(expect), fault, Observed(seen));
            if (seen.historyMoved > 0 && !seen.step.empty()) ++changed;
            if (!seen.messages.isEmpty()) ++refused;
            if (!seen.dialogs.isEmpty()) ++dialogs;
            bool undoFailed = false;
            if (n + 1 == items.size()) break;
            if (!Restore(kind, undoFailed, seen.historyMoved > 0)) {
                if (undoFailed) failures << QString("%1: undo does not bring the document back").arg(where);
                ++rebuilt;
                if (logging) qInfo().noquote() << "rebuilt after" << where;
                BuildKind(kind);
                if (QTest::currentTestFailed()) return;
            }
        }
        qInfo().noquote() << QString("%1: %2 items, %3 changed, %4 refused, %5 dialogs, %6 rebuilds, %7 failures")
                                 .arg(kKindNames[kind])
                                 .arg(cells)
                                 .arg(changed)
                                 .arg(refused)
                                 .arg(dialogs)
                                 .arg(rebuilt)
                                 .arg(failures.size());
        QVERIFY2(failures.isEmpty(), qPrintable("\n" + failures.join("\n")));
    }

private Q_SLOTS:
    void initTestCase() {
        PrepareFiles();
        for (int k = kBits1; k <= kBits32; ++k) {
            m_files[k] = WriteKind(Kind(k));
            QVERIFY(!m_files[k].isEmpty());
        }
    }
    void cleanup() { Stop(); }

    void everyItemOnEachKindOfDocument_data() {
        QTest::addColumn<int>("kind");
        for (int k = 0; k < kKindCount; ++k) QTest::newRow(kKindNames[k]) << k;
    }
    void everyItemOnEachKindOfDocument() {
        QFETCH(int, kind);
        SweepKind(Kind(kind));
    }
};

QUILLORY_SHELL_TEST(MenuSweepTest)
#include "MenuSweepTest.moc"
