#pragma once
// Command routing: a command id is offered to the active view, then its
// document, then the main frame, then the application. Update handlers decide
// whether an item is enabled and checked; a command nobody claims is disabled.
#include <functional>
#include <vector>

namespace quillory {

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when the command was handled here.
    virtual bool OnCommand(int id) = 0;
    // True when this target decides the command's state (and fills it).
    virtual bool OnUpdateCommand(int id, CommandState& state) = 0;
};

class CommandRouter {
public:
    using Chain = std::function<std::vector<CommandTarget*>()>;
    void SetChain(Chain chain) { m_chain = std::move(chain); }

    bool Dispatch(int id) {
        for (CommandTarget* target : Targets())
            if (target && target->OnCommand(id)) return true;
        return false;
    }

    CommandState Update(int id) {
        for (CommandTarget* target : Targets()) {
            CommandState state;
            if (target && target->OnUpdateCommand(id, state)) return state;
        }
        return CommandState{false, false};
    }

private:
    std::vector<CommandTarget*> Targets() { return m_chain ? m_chain() : std::vector<CommandTarget*>{}; }
    Chain m_chain;
};

}  // namespace quillory
