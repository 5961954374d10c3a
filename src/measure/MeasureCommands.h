#pragma once
// The measurement commands of the engine's registry, and the one call that puts
// the measuring side into the program: commands, view tools and the .mzr files.
namespace quillory {

class CommandRegistry;
class ToolRegistry;

void RegisterMeasureCommands(CommandRegistry& registry);
// Registers the commands, the measuring view tools and the measurement document
// reader and writer; calling it again changes nothing.
void InstallMeasurement();

}  // namespace quillory
