#pragma once
// Commands as data: every command id maps to a handler that takes the active
// document and a parameter map. Dialogs only collect the parameters; the same
// handlers run headless (command-line tool, tests).
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/CommandIds.h"

namespace quillory {

class CVandDoc;


// Named parameters as text ("name" for renaming, "counter" for samples, ...).
class CommandParameters {
public:
    CommandParameters() = default;
    CommandParameters(std::initializer_list<std::pair<const std::string, std::string>> values) : m_values(values) {}

    void Set(const std::string& key, std::string value) { m_values[key] = std::move(value); }
    bool Has(const std::string& key) const { return m_values.count(key) != 0; }
    std::string Text(const std::string& key, const std::string& fallback = {}) const;
    // The value as a whole number; fallback when absent or not a number.
    long long Number(const std::string& key, long long fallback = 0) const;

    bool operator==(const CommandParameters&) const = default;

private:
    std::map<std::string, std::string> m_values;
};

using CommandHandler = std::function<bool(CVandDoc& document, const CommandParameters& parameters)>;

struct CommandEntry {
    int id = 0;
    std::string name;  // menu text
    CommandHandler handler;
};

class CommandRegistry {
public:
    // The engine's registry with the document's own commands registered.
    static CommandRegistry& Instance();

    // Adds or replaces the handler of an id.
    void Register(int id, std::string name, CommandHandler handler);
    const CommandEntry* Find(int id) const;
    // False for an unknown id or when the handler reports failure.
    bool Execute(int id, CVandDoc& document, const CommandParameters& parameters = {}) const;
    std::vector<int> Ids() const;

private:
    std::map<int, CommandEntry> m_entries;
};

// Registers the layer, image-field and sample commands of the document.
void RegisterDocumentCommands(CommandRegistry& registry);

}  // namespace quillory
