#pragma once
// The channel commands: "YUV구분" and "HSL구분" split the current layer into three
// new grey documents; "RGB구분" shows the channel planes in the channel viewer.
// None of them changes the source document or records a step.
#include <memory>
#include <string>

#include "processing/ChannelSplit.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;

// The running number of channel document titles, kept by the application and
// raised by one for every title made.
class ChannelTitleCounter {
public:
    explicit ChannelTitleCounter(int first = 1) : m_next(first) {}
    std::string Title(const char* format, const std::string& sourceTitle);
    int Next() const { return m_next; }

private:
    int m_next;
};

// The title a document shows: its file name, or its picture's name.
std::string DocumentTitle(const CVandDoc& document);

// Fills three new documents (Y, U, V or hue, saturation, lightness), each with one
// 8-bit grey picture of the document's size and its title. False (no title used)
// when the current layer is missing or a document cannot be made; the caller then
// drops all three.
bool SplitIntoDocuments(const CVandDoc& source, ChannelModel model, ChannelTitleCounter& titles, CVandDoc* out[3]);

// The three channels of the current layer (its own size) as the viewer shows
// them: 24-bit pictures in shades of red, green and blue.
bool ChannelTints(const CVandDoc& source, ChannelModel model, NyZazo* out[3]);
// The labels of the viewer's rows and its heading for a model.
const char* const* ChannelLabels(ChannelModel model);
const char* ChannelHeading(ChannelModel model);

void RegisterChannelCommands(CommandRegistry& registry);

}  // namespace quillory
