#pragma once
// The filter list of the filter menu and dialog bar: 22 filters and effects in a
// fixed order, each with its parameter sliders, the command that chooses it and the
// function that runs it. The dialog and the commands find a filter by its name.
#include <string_view>

#include "processing/FilterPlanes.h"

namespace quillory {

inline constexpr int kFilterCount = 22;

// One slider of the filter dialog. A default of -1 switches the slider off.
struct FilterSlider {
    int minimum = 0;
    int maximum = 0;
    int defaultValue = -1;
    const char* label = "";
    const char* key = "";  // the named parameter of the filter's command

    constexpr bool IsOn() const { return defaultValue != -1; }
};

// Up to three sliders p1, p2, p3.
struct FilterParameterSet {
    int count = 0;
    FilterSlider sliders[3];
};

struct FilterDefinition {
    int index = 0;          // place in the filter list
    const char* name = "";  // shown in the list; also the name of the recorded step
    int commandId = 0;      // the command of the filter itself
    FilterParameterSet parameters;
    FilterFunction run = nullptr;
    bool honoursSelection = false;  // writes only selected pixels
};

// 0 .. kFilterCount - 1; null outside.
const FilterDefinition* FilterAt(int index);
const FilterDefinition* FindFilter(std::string_view name);
int FilterIndexOfName(std::string_view name);  // -1 when not in the list
// The list index a menu command selects; -1 for other commands. Both the menu's
// "강조" and "경계강조" select the edge enhancement; the "강조" kernel has its own command.
int FilterIndexOfCommand(int commandId);

// The sliders of a name; every name outside the list gets two plain adjustments.
const FilterParameterSet& ParameterSetOf(std::string_view name);
// The defaults in the order p1, p2, p3 (a switched-off slider gives -1). Defaults
// below a slider's minimum are kept: the filter gets them until the slider moves.
FilterValues DefaultValues(const FilterParameterSet& set);

// Runs a filter by name; false for an unknown name or when the filter did nothing.
bool RunFilter(std::string_view name, const LayerPlanesView& source, const LayerPlanes& destination,
               const FilterValues& values, const SelectionMap& selection, FilterProgress& progress);

}  // namespace quillory
