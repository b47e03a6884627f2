// The rename dialog's answers read from its items, the same in every host: each host reads an
// item its own way (its records, or its messages while the dialog runs) and hands over the two
// accessors.
#pragma once

#include <functional>
#include <string>

#include "plan/PlanCursor.hpp"
#include "settings/Settings.hpp"

namespace velmora {

struct DialogItemReader {
    std::function<std::string(int item)> text;  // an edit field's text
    std::function<bool(int item)> isOn;         // a check box or radio button is on
};

// Template, start number, the two switches, find and replace with their three switches, and each
// letter-case group's choice: its first radio button that is on, none leaving the letters as they
// are. `clicked`, a radio button the user just clicked, is the one on in its group whatever the
// items say: the hosts move the mark only after the procedure has answered. The descriptions
// switch counts only where it is offered.
PlanAnswers ReadDialogAnswers(const DialogItemReader& read, bool descriptionsShown, int clicked = -1);

// The answers as the store keeps them: each text cut to what the store gives back (whole UTF-8
// characters on a UTF-8 host); the descriptions switch left as it was where it was not offered.
void StoreAnswers(const PlanAnswers& answers, bool descriptionsShown, bool utf8, RenameOptions& options);

}  // namespace velmora
