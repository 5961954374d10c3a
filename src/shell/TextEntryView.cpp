#include "shell/TextEntryView.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include "core/CommandIds.h"
#include "extras/TextTool.h"
#include "shell/CDlg_Text.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "view/ViewRender.h"

namespace quillory {

namespace {

// The entry's lines with the composition in place, and where the caret and the
// composition fall: line, and units into that line.
struct EntryLayout {
    QStringList lines;
    int caretLine = 0, caretColumn = 0;
    int preeditLine = 0, preeditStart = 0, preeditLength = 0;
};

EntryLayout LayOut(const TextEntry& entry) {
    EntryLayout l;
    const QString before = QString::fromStdU16String(entry.text.substr(0, entry.caret));
    const QString after = QString::fromStdU16String(entry.text.substr(entry.caret));
    const QString preedit = QString::fromStdU16String(entry.preedit);
    l.lines = (before + preedit + after).split('\n');
    const QStringList head = before.split('\n');
    l.preeditLine = int(head.size()) - 1;
    l.preeditStart = int(head.last().size());
    l.preeditLength = int(preedit.size());
    l.caretLine = l.preeditLine;
    l.caretColumn = l.preeditStart + std::clamp(entry.preeditCaret, 0, l.preeditLength);
    return l;
}

QFont FontOf(const TextLook& look, double scale) {
    QFont font(QString::fromStdString(look.face));
    font.setPixelSize(std::max(1, int(look.pixelHeight * scale + 0.5)));
    font.setBold(StyleIsBold(look.style));
    font.setItalic(StyleIsItalic(look.style));
    font.setUnderline(look.underline);
    font.setStrikeOut(look.strikeOut);
    return font;
}

}  // namespace

TextTool* TextEntryView::Tool() const {
    if (!m_frame || m_frame->currentTool() != cmd::kToolText) return nullptr;
    return dynamic_cast<TextTool*>(m_view.activeTool());
}

bool TextEntryView::Active() const {
    const TextTool* tool = Tool();
    return tool && tool->Active();
}

void TextEntryView::Sync() {
    const bool active = Active();
    if (m_view.testAttribute(Qt::WA_InputMethodEnabled) != active) m_view.setAttribute(Qt::WA_InputMethodEnabled, active);
    if (m_view.hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImCursorRectangle);
}

void TextEntryView::Changed(bool documentChanged) {
    if (documentChanged) {
        m_view.document().MarkChanged();
        m_view.UpdateAllViews(0);
        if (m_frame) {
            m_frame->RefreshLayerWindow();
            m_frame->RefreshCommandStates();
        }
    }
    m_view.viewport()->update();
    Sync();
}

bool TextEntryView::TakesShortcut(const QKeyEvent* event) const {
    if (!Active()) return false;
    if (event->matches(QKeySequence::SelectAll)) return true;
    return !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool TextEntryView::KeyPress(QKeyEvent* event) {
    TextTool* tool = Tool();
    if (!tool || !tool->Active()) return false;
    CVandDoc& doc = m_view.document().doc();
    const bool control = event->modifiers() & Qt::ControlModifier;
    int key = 0;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: key = control ? TextKey::Commit : TextKey::Return; break;
        case Qt::Key_Backspace: key = TextKey::Backspace; break;
        case Qt::Key_Delete: key = TextKey::Delete; break;
        case Qt::Key_Escape: key = TextKey::Escape; break;
        case Qt::Key_Left: key = TextKey::Left; break;
        case Qt::Key_Right: key = TextKey::Right; break;
        case Qt::Key_Home: key = TextKey::Home; break;
        case Qt::Key_End: key = TextKey::End; break;
        default: break;
    }
    bool changedDocument = false;
    if (key != 0) {
        ToolContext context{doc, m_view.document().view()};
        const bool ends = key == TextKey::Commit || key == TextKey::Escape;
        const bool changed = tool->Key(context, key);
        changedDocument = ends && changed;
    } else if (!control && !(event->modifiers() & Qt::AltModifier)) {
        const QString text = event->text();
        if (!text.isEmpty() && text.at(0).isPrint()) tool->Insert(text.toStdU16String());
    }
    Changed(changedDocument);
    event->accept();
    return true;
}

bool TextEntryView::InputMethod(QInputMethodEvent* event) {
    TextTool* tool = Tool();
    if (!tool || !tool->Active()) return false;
    // A replacement of text before the caret (some input methods correct the last syllable).
    if (event->replacementLength() > 0 && event->replacementStart() < 0) {
        for (int i = 0; i < event->replacementLength() && i < -event->replacementStart(); ++i) tool->Backspace();
    }
    if (!event->commitString().isEmpty()) tool->Insert(event->commitString().toStdU16String());
    int caret = int(event->preeditString().size());
    for (const QInputMethodEvent::Attribute& a : event->attributes())
        if (a.type == QInputMethodEvent::Cursor) caret = a.start;
    tool->SetPreedit(event->preeditString().toStdU16String(), caret);
    Changed(false);
    event->accept();
    return true;
}

bool TextEntryView::DoubleClick() {
    TextTool* tool = Tool();
    if (!tool || !tool->Active() || !m_frame) return false;
    const TextEntry& entry = tool->Entry();
    std::u16string text = entry.text;
    text.insert(entry.caret, entry.preedit);
    CDlg_Text dialog(ResultFromLook(entry.look, QString::fromStdU16String(text)), m_frame);
    if (dialog.exec() != QDialog::Accepted) return true;
    const TextDialogResult result = dialog.Result();
    const TextLook look = LookFromResult(result);
    StoreLookInEnvironment(m_frame->env(), look);
    tool->SetLook(look);
    tool->SetText(result.text.toStdU16String());
    Changed(tool->Commit(m_view.document().doc()));
    return true;
}

void TextEntryView::CommitPending() {
    auto* tool = dynamic_cast<TextTool*>(m_view.activeTool());
    if (!tool || !tool->Active()) return;
    Changed(tool->Commit(m_view.document().doc()));
}

struct TextEntryView::EntryOnScreen {
    QPoint origin;  // the top-left of the entry's first line
    QFont font;
    EntryLayout layout;
};

bool TextEntryView::PlaceEntry(EntryOnScreen& placed) const {
    const TextTool* tool = Tool();
    if (!tool || !tool->Active()) return false;
    DocumentSession& session = m_view.document();
    const ViewState& s = session.view();
    const DisplayGeometry g = ComputeDisplay(s, session.Width(), session.Height(), m_view.viewport()->width(),
                                             m_view.viewport()->height());
    const TextEntry& entry = tool->Entry();
    placed.font = FontOf(entry.look, g.scaleY);
    placed.layout = LayOut(entry);
    placed.origin = QPoint(int(g.offsetX + entry.pictureX * g.scaleX) - s.scrollX,
                           int(g.offsetY + entry.pictureY * g.scaleY) - s.scrollY);
    return true;
}

QRect TextEntryView::CaretRect() const {
    EntryOnScreen placed;
    if (!PlaceEntry(placed)) return {};
    const QFontMetrics metrics(placed.font);
    const EntryLayout& l = placed.layout;
    const int x = placed.origin.x() + metrics.horizontalAdvance(l.lines[l.caretLine].left(l.caretColumn));
    const int y = placed.origin.y() + l.caretLine * metrics.lineSpacing();
    return QRect(x, y, 1, metrics.height());
}

QVariant TextEntryView::Query(Qt::InputMethodQuery query) const {
    const TextTool* tool = Tool();
    const bool active = tool && tool->Active();
    switch (query) {
        case Qt::ImEnabled: return active;
        case Qt::ImCursorRectangle: return CaretRect().translated(m_view.viewport()->pos());
        case Qt::ImFont:
            return active ? QVariant(FontOf(tool->Entry().look, 1.0)) : QVariant();
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition:
            return active ? LayOut(tool->Entry()).preeditStart : 0;
        case Qt::ImSurroundingText:
            return active ? LayOut(tool->Entry()).lines.value(LayOut(tool->Entry()).preeditLine) : QString();
        case Qt::ImHints: return int(Qt::ImhMultiLine);
        default: return QVariant();
    }
}

QRect TextEntryView::EntryBox() const {
    EntryOnScreen placed;
    if (!PlaceEntry(placed)) return {};
    const QFontMetrics metrics(placed.font);
    int width = metrics.horizontalAdvance(QChar('M'));
    for (const QString& line : placed.layout.lines) width = std::max(width, metrics.horizontalAdvance(line));
    return QRect(placed.origin.x() - 2, placed.origin.y() - 2, width + 4,
                 int(placed.layout.lines.size()) * metrics.lineSpacing() + 4);
}

bool TextEntryView::PressOnEntry(const QPoint& windowPoint) const { return EntryBox().contains(windowPoint); }

void TextEntryView::Paint(QPainter& painter) const {
    const TextTool* tool = Tool();
    if (!tool || !tool->Active()) return;
    DocumentSession& session = m_view.document();
    const ViewState& s = session.view();
    const DisplayGeometry g = ComputeDisplay(s, session.Width(), session.Height(), m_view.viewport()->width(),
                                             m_view.viewport()->height());
    const TextEntry& entry = tool->Entry();
    const QFont font = FontOf(entry.look, g.scaleY);
    const QFontMetrics metrics(font);
    const EntryLayout l = LayOut(entry);
    const int left = int(g.offsetX + entry.pictureX * g.scaleX) - s.scrollX;
    const int top = int(g.offsetY + entry.pictureY * g.scaleY) - s.scrollY;
    const QRect box = EntryBox();
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
    painter.drawRect(box);
    painter.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
    painter.drawRect(box);
    painter.setFont(font);
    painter.setPen(QColor(entry.look.colour.red, entry.look.colour.green, entry.look.colour.blue));
    for (int i = 0; i < int(l.lines.size()); ++i)
        painter.drawText(QPoint(left, top + i * metrics.lineSpacing() + metrics.ascent()), l.lines[i]);
    if (l.preeditLength > 0) {
        // The composition still open is underlined.
        const QString& line = l.lines[l.preeditLine];
        const int x0 = left + metrics.horizontalAdvance(line.left(l.preeditStart));
        const int x1 = left + metrics.horizontalAdvance(line.left(l.preeditStart + l.preeditLength));
        const int y = top + l.preeditLine * metrics.lineSpacing() + metrics.ascent() + 2;
        painter.setPen(QPen(QColor(0, 90, 200), 2));
        painter.drawLine(x0, y, x1, y);
    }
    const QRect caret = CaretRect();
    painter.fillRect(caret.adjusted(0, 0, 1, 0), QColor(0, 90, 200));
    painter.restore();
}

}  // namespace quillory
