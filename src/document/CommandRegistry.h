#pragma once
// Commands as data: every command id maps to a handler that takes the active
// document and a parameter map. Dialogs only collect the parameters; the same
// handlers run headless (command-line tool, tests).
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/CommandIds.h"

namespace quillory {

class CVandDoc;


// Named parameters as text ("name" for renaming, "counter" for samples, ...). The
// object notes which keys its command read and which value it refused, so a caller
// can refuse a line whose keys the command does not take or whose value is no number.
class CommandParameters {
public:
    CommandParameters() = default;
    CommandParameters(std::initializer_list<std::pair<const std::string, std::string>> values) : m_values(values) {}

    void Set(const std::string& key, std::string value) { m_values[key] = std::move(value); }
    bool Has(const std::string& key) const { return m_values.count(key) != 0; }
    std::string Text(const std::string& key, const std::string& fallback = {}) const;
    // The value as a whole number within ±kMaxNumberParameter; fallback when absent.
    // A value that is no such number is refused (see RefusedKey) and gives the fallback.
    long long Number(const std::string& key, long long fallback = 0) const;
    // The value as a finite decimal number within ±kMaxNumberParameter, likewise.
    double Real(const std::string& key, double fallback = 0) const;
    // Notes the key's value as one its command does not take; false, for the handler to return.
    bool Refuse(const std::string& key) const;

    // The first key whose value was refused, empty when none was.
    const std::string& RefusedKey() const { return m_refused; }
    // Keys given that the command never read.
    std::vector<std::string> UnreadKeys() const;
    // Every key given was read and no value was refused: a handler whose work leaves the
    // document (files it writes) asks this before it starts.
    bool AllTaken() const { return m_refused.empty() && UnreadKeys().empty(); }

    bool operator==(const CommandParameters& other) const { return m_values == other.m_values; }

private:
    const std::string* Value(const std::string& key) const;

    std::map<std::string, std::string> m_values;
    mutable std::set<std::string> m_read;
    mutable std::string m_refused;
};

// Whole and decimal parameters beyond this are refused: coordinates and sizes within
// it can be added, subtracted and squared (in 64 bits) without overflow.
inline constexpr long long kMaxNumberParameter = 1000000000;

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
