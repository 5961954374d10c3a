#pragma once
// The view's layer composite over a document's layer stack, through the
// document's compositor, shadows included. Fit-to-window scales the axes differently; the
// compositor knows one zoom, so that mode composes row by row.

#include "document/DocumentHeader.h"
#include "document/LayerStack.h"
#include "view/ViewRender.h"

namespace quillory {

class StackComposer : public LayerComposer {
public:
    StackComposer(const DocumentHeader& header, const LayerStack& stack) : m_header(header), m_stack(stack) {}

    int PictureWidth() const override { return m_header.width; }
    int PictureHeight() const override { return m_header.height; }
    void ComposeVisible(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY) override;

private:
    const DocumentHeader& m_header;
    const LayerStack& m_stack;
};

}  // namespace quillory
