#pragma once
// What the editor's windows hold for one open picture: the engine's document
// and the view state that every view of it shares. Document commands run
// through the engine's command registry.
#include <memory>
#include <string>

#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "view/ChangeJournal.h"
#include "view/ViewState.h"

namespace quillory {

class DocumentSession {
public:
    DocumentSession() = default;
    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;

    CVandDoc& doc() { return m_doc; }
    const CVandDoc& doc() const { return m_doc; }

    // The title shown in the frame: the file name, or the new picture's name.
    std::string title() const { return m_doc.FileName(); }
    const std::string& path() const { return m_doc.PathName(); }
    bool modified() const { return m_doc.IsModified(); }
    bool HasMeasureObjects() const { return m_doc.Measures() && m_doc.Measures()->HasContent(); }

    const DocumentHeader& header() const { return m_doc.Header(); }
    LayerStack& stack() { return m_doc.Stack(); }
    const LayerStack& stack() const { return m_doc.Stack(); }
    ViewState& view() { return m_view; }
    int Width() const { return m_doc.Header().width; }
    int Height() const { return m_doc.Header().height; }

    // A command of the engine's registry on this document; false when unknown or refused.
    bool Execute(int id, const std::string& parameterName = {}, const std::string& parameterValue = {});
    bool Execute(int id, const CommandParameters& parameters);
    static bool HasCommand(int id);

    bool MoveCurrentLayer(int dx, int dy);
    void MarkChanged() {
        m_view.needsRedraw = 1;
        // Within a tool's event the tool's own account of what it changed is taken instead.
        if (m_toolEvent) {
            m_wholeAskedInToolEvent = true;
            return;
        }
        m_changes.ChangedAll();
    }
    // While a tool handles a mouse event, marks of the whole picture (the step it records,
    // the document's change notice) wait for the tool's report of what it changed.
    class ToolEventScope {
    public:
        explicit ToolEventScope(DocumentSession& session) : m_session(session) {
            m_session.m_toolEvent = true;
            m_session.m_wholeAskedInToolEvent = false;
        }
        ~ToolEventScope() { m_session.m_toolEvent = false; }
        ToolEventScope(const ToolEventScope&) = delete;
        ToolEventScope& operator=(const ToolEventScope&) = delete;
        bool WholeAsked() const { return m_session.m_wholeAskedInToolEvent; }

    private:
        DocumentSession& m_session;
    };
    // A change of the pixels of one region (picture rows counted from the top).
    void MarkChanged(const IntRect& region) {
        m_view.needsRedraw = 1;
        m_changes.ChangedRegion(region);
    }
    // Counts the changes, so that each view of the picture knows its cached composite is stale.
    uint64_t generation() const { return m_changes.generation(); }
    const ChangeJournal& changes() const { return m_changes; }

    // The visible layers at full size as a 24-bit picture (printing).
    std::unique_ptr<NyZazo> FlatPicture() const;

private:
    CVandDoc m_doc;
    ViewState m_view;
    ChangeJournal m_changes;
    bool m_toolEvent = false;
    bool m_wholeAskedInToolEvent = false;
};

}  // namespace quillory
