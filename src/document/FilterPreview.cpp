#include "document/FilterPreview.h"

#include <string>

#include "document/FilterCommands.h"

namespace quillory {

PreviewableCommand FilterPreviewable(std::string_view filterName) {
    PreviewableCommand command;
    const FilterDefinition* filter = FindFilter(filterName);
    command.id = filter ? filter->commandId : 0;
    command.menuText = std::string(filterName);
    command.stepName = std::string(filterName);
    command.change = [name = std::string(filterName)](CVandDoc& document, const CommandParameters& parameters) {
        FilterValues values = DefaultValues(ParameterSetOf(name));
        for (int i = 0; i < 3; ++i) values.p[i] = int(parameters.Number("p" + std::to_string(i + 1), values.p[i]));
        return ApplyFilterToLayer(document, document.CurrentLayer(), name, values);
    };
    return command;
}

}  // namespace quillory
