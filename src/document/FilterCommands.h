#pragma once
// The filters and effects of the filter list as document commands: each runs on
// the current layer (never a text layer) and records one step named after it.
#include <string_view>

#include "processing/FilterCatalogue.h"

namespace quillory {

class CVandDoc;
class CommandParameters;
class CommandRegistry;

// Runs a filter on one layer and records nothing (the filter dialog's preview and
// the commands both use it). Palette layers are filtered in colour and take the
// nearest palette entry where a colour changed. False, the layer unchanged, for a
// text layer, an unknown name, unusable planes, or a filter that did nothing or
// was stopped through `stopRequested`.
bool ApplyFilterToLayer(CVandDoc& document, int layer, std::string_view name, const FilterValues& values,
                        const bool* stopRequested = nullptr);

// The command: refuses a text layer with its message, applies the filter to the
// current layer under a wait cursor and records the step.
bool RunFilterCommand(CVandDoc& document, std::string_view name, const FilterValues& values);

// Slider values from named parameters (the slider's key, or p1, p2, p3), each
// clamped to its slider's range; absent values take the slider's default.
FilterValues FilterValuesFromParameters(const FilterParameterSet& set, const CommandParameters& parameters);

void RegisterFilterCommands(CommandRegistry& registry);

}  // namespace quillory
