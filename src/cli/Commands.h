#pragma once
// The sub-commands of quillory-cli. Each returns the process exit status.
#include <string>
#include <vector>

namespace quillory::cli {

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunConvert(const Args& args);
int RunNew(const Args& args);
// Replays a script of document commands (see ScriptCommands.cpp).
int RunScript(const Args& args);
// info for a .qvx file: the header fields and the layer list.
int RunQvxInfo(const std::string& path);

// Value of "--name VALUE" in args (removed from args), or fallback.
std::string TakeOption(Args& args, const std::string& name, const std::string& fallback = {});

}  // namespace quillory::cli
