// A batch's new names: the template, then the steps after it (find and replace, letter case),
// then the cut. Without steps a name is the template's, exactly as it always was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "naming/HostText.hpp"
#include "naming/NameRules.hpp"
#include "naming/NameTemplate.hpp"
#include "settings/Settings.hpp"

namespace velmora {

class NameSteps {
public:
    // Compiles the steps for the host's text; false with *error when the expression does not
    // compile (then no step applies).
    bool Compile(const RuleOptions& options, HostText text, RegexError* error);
    bool Active() const { return active_; }

    // The item's new name into `out` (emptied first): its buffer is reused from item to item.
    // `facts`: the batch's, for a template with braced tokens.
    void Make(std::string& out, const char* nameTemplate, std::string_view oldName, std::uint32_t index,
              const CounterParameters& counter, LengthUnit unit, TokenFacts* facts = nullptr) const;

    // True for a name the steps made that no file may have: empty, or holding a character the
    // system refuses in a name. Without steps no name is refused here (the move says so, as before).
    bool Refuses(std::string_view name) const;

private:
    bool active_ = false;
    CompiledRules rules_;
    mutable std::string expanded_;
};

// The options as the steps' rules.
NameRules RulesOf(const RuleOptions& options);

}  // namespace velmora
