// Conventions the plug-in and the hosts that run it must read alike: the host's list of
// description file names, where the host keeps its description settings, the letter case the
// hosts ignore, and the rename dialog's layout that a host may answer item by item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace far {

// The "Descriptions" key beside the plug-ins' root key: everything after the root's last "\" is
// replaced (Software\Far\Plugins gives Software\Far\Descriptions); a root without "\" is used
// unchanged.
std::string DescriptionsKeyPath(std::string_view rootKey);

// Takes the next name of a comma-separated list of description file names starting at position
// into *name and returns where the following name starts; null (name untouched) at the end of the
// list. A "[" protects commas up to the next "]" when one follows; white space is skipped only
// after a separating comma; names may be empty.
const char* NextListName(const char* position, std::string* name);
// Every name of such a list, in order, read with NextListName up to the list's first zero byte.
std::vector<std::string> ListNames(std::string_view list);

// ASCII letter case folding: the hosts match names without regard to A-Z case and leave every
// other byte alone, whatever the code page.
char FoldAscii(char c);
std::string FoldAscii(std::string_view text);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
// FNV-1a (64 bits) of a name, over its ASCII-folded form when `folded`: for tables of names, where
// names the host takes for one hash alike.
std::uint64_t NameHash(std::string_view name, bool folded);

// The rename dialog: thirty-seven items; a host that answers the dialog for the user (the velmora
// host's command-line options) fills them by these numbers. The items after Cancel are the live
// preview: a host that shows no dialog procedure leaves them as the plug-in built them.
constexpr int kDialogItemCount = 39;
constexpr int kDialogTemplateItem = 2;         // edit field: the name template
constexpr int kDialogStartNumberItem = 3;      // edit field: the start number
constexpr int kDialogWithoutZeroItem = 6;      // check box: counters without leading zeros
constexpr int kDialogSaveDescriptionItem = 7;  // check box, or empty text without a descriptions column
constexpr int kDialogOkItem = 9;
constexpr int kDialogCancelItem = 10;
constexpr int kDialogPreviewItem = 11;    // button: the whole plan in a menu
constexpr int kDialogListFirstItem = 13;  // texts: the first selected items, "old -> new"
constexpr int kDialogListLines = 6;
constexpr int kDialogSummaryItem = 19;  // text: what the run changes and where it stops
constexpr int kDialogListWidth = 68;    // characters of a list line and of the summary
// The steps after the template, after the preview so that the fields before them keep their keys.
constexpr int kDialogFindLabelItem = 20;           // text: "Find"
constexpr int kDialogFindItem = 21;                // edit field: the text or expression to find
constexpr int kDialogReplaceLabelItem = 22;        // text: "Replace with"
constexpr int kDialogReplaceItem = 23;             // edit field: what replaces each match
constexpr int kDialogRegexItem = 24;               // check box: find is a regular expression
constexpr int kDialogMatchCaseItem = 25;           // check box: letters compared with their case
constexpr int kDialogFirstOnlyItem = 26;           // check box: the first match only
constexpr int kDialogNameCaseLabelItem = 27;       // text: "Name"
constexpr int kDialogNameCaseFirstItem = 28;       // four radio buttons: unchanged, lower, UPPER, Title
constexpr int kDialogExtensionCaseLabelItem = 32;  // text: "Extension"
constexpr int kDialogExtensionCaseFirstItem = 33;  // four radio buttons, as for the name
constexpr int kDialogEditNamesItem = 37;           // button: the new names as text in the host's editor
// The Edit names button's Selected field is 1 while the new names are the ones last read back from
// the host's editor, 0 while the template makes them: a host that plans the dialog's answers itself
// (velmora) learns so from the items.
constexpr int kDialogPresetsItem = 38;             // button: the menu of saved presets
constexpr const char* kDialogHelpTopic = "EnterVelmora";
constexpr const char* kPreviewHelpTopic = "PreviewVelmora";
constexpr const char* kNameHistory = "Velmora_Name";
constexpr const char* kStartNumberHistory = "Velmora_StartNumber";
constexpr const char* kFindHistory = "Velmora_Find";
constexpr const char* kReplaceHistory = "Velmora_Replace";

// The plug-ins menu: its entries by the item number the host hands to the plug-in's open call.
constexpr int kMenuRename = 0;
constexpr int kMenuUndo = 1;
// The plug-in's entries in the order a host shows them, F11 Enter opening the first: each host
// sorts the menu by the entries' text with "&" (a hot key's mark) left out and "&&" read as "&",
// entries of one text in the plug-in's order. The rename must come first in every host; the
// language files keep it so.
// FAR 1.x compares the texts (bytes of the OEM code page) byte by byte with letters folded to
// lower case; here A-Z are folded, the one case the plug-in's texts need.
std::vector<int> MenuOrderFar1(const std::vector<std::string_view>& texts);
// far2l compares the texts (UTF-8) by its Windows-style collation: character by character, each
// weighed first by its class and only then within it. "." comes before the other punctuation,
// punctuation before white space and control characters, and those before letters and digits, so
// ':' sorts before ' ' where bytes put ' ' first. Within the letters and digits: digits, then
// letters alphabetically without regard to case, Latin before the other scripts (Cyrillic
// alphabetically, with "ё" after "е"); within the other classes, by code point. A text that begins
// another comes before it. Negative, zero or positive, as a comparison does.
int CompareFar2lMenuTexts(std::string_view a, std::string_view b);
std::vector<int> MenuOrderFar2l(const std::vector<std::string_view>& texts);
// The order of the host this build's plug-in runs in: FAR 1.x on Windows, far2l elsewhere.
std::vector<int> MenuOrder(const std::vector<std::string_view>& texts);

// Where journals go when the system names no per-user state directory (Windows without
// %LOCALAPPDATA%): a folder beside the plug-in module, whose own folder (with a trailing
// separator) is given; "" when it is not known.
std::string JournalFallbackRoot(const std::string& moduleDirectory);

}  // namespace far
