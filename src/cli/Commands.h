#pragma once
// The sub-commands of quillory-cli. Each returns the process exit status.
#include <iosfwd>
#include <string>
#include <vector>

#include "core/SaveOptions.h"

namespace quillory::cli {

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunConvert(const Args& args);
int RunNew(const Args& args);
int RunFonts(const Args& args);
// Replays a script of document commands (see ScriptCommands.cpp).
int RunScript(const Args& args);
// The script's lines from a stream, on the platform installed: 0 when every line ran,
// else 1 with "line N: ..." on the error stream. `pageIndex` is the page of open lines
// that name none.
int RunScriptLines(std::istream& in, int pageIndex = 0);
// info for a .qvx file: the header fields and the layer list.
int RunQvxInfo(const std::string& path);

// Takes --quality N, --compression NAME|LEVEL and --lossless out of args into the
// options of the output's format (the last argument left); false (with the reason
// on the error stream) when one does not fit that format or its range.
bool TakeSaveOptions(Args& args, SaveOptions& options);

// Value of "--name VALUE" in args (removed from args), or fallback.
std::string TakeOption(Args& args, const std::string& name, const std::string& fallback = {});

}  // namespace quillory::cli
