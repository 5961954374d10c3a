#pragma once
// The decorations as registered commands with named parameters, for scripts and
// tests; the editor's dialogs collect the same parameters.
//   kCalendar     year, month, size, style, face, colour
//   kPictureFrame style 0..3, thickness (at least 5), main, second
//   kPutText      text, x, y, size, style, face, colour, underline, strikeout
//   kEditText     layer, text and the same font parameters (missing ones keep the layer's)
namespace quillory {

class CommandRegistry;

void RegisterExtrasCommands(CommandRegistry& registry);

}  // namespace quillory
