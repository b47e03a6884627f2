// The man page and the bash completion, made from the option table the parser and --help use, so
// that none of them can describe an option the others do not know.
#include <string>

#include "host/Options.hpp"

namespace velmora::host {
namespace {

// Text for roff: a backslash is the escape character, "-" would be a hyphen (not the minus of
// an option), and a line must not start with a control character.
std::string Roff(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string RoffSynopsis(const OptionEntry& entry) {
    std::string text;
    if (entry.shortName)
        text += "\\fB" + Roff(std::string("-") + entry.shortName) + "\\fR";
    if (entry.shortName && entry.longName)
        text += ", ";
    if (entry.longName)
        text += "\\fB" + Roff(std::string("--") + entry.longName) + "\\fR";
    if (entry.valueName)
        text += " \\fI" + Roff(entry.valueName) + "\\fR";
    return text;
}

// The names completion offers for an option: "-C --dir".
std::string Names(const OptionEntry& entry) {
    std::string names;
    if (entry.shortName)
        names += std::string("-") + entry.shortName;
    if (entry.longName)
        names += std::string(names.empty() ? "" : " ") + "--" + entry.longName;
    return names;
}

// "-C | --dir | ..." for every option whose value is of this kind.
std::string CasePattern(OptionValue value) {
    std::string pattern;
    for (const OptionEntry& entry : OptionTable()) {
        if (entry.value != value)
            continue;
        if (entry.shortName)
            pattern += (pattern.empty() ? "-" : " | -") + std::string(1, entry.shortName);
        if (entry.longName)
            pattern += (pattern.empty() ? "--" : " | --") + std::string(entry.longName);
    }
    return pattern;
}

}  // namespace

std::string ManPage(const std::string& date) {
    std::string page;
    page += ".TH VELMORA \"1\" \"" + date + "\" \"velmora " + kHostVersion + "\" \"User Commands\"\n";
    page +=
        ".SH NAME\n"
        "velmora \\- batch renamer that keeps file descriptions, the Velmora plug\\-in's own host\n"
        ".SH SYNOPSIS\n"
        ".B velmora\n"
        "[\\fIOPTION\\fR...] [\\fINAME\\fR...]\n"
        ".SH DESCRIPTION\n"
        "Runs the Velmora batch\\-rename plug\\-in on one directory, as FAR Manager would: every\n"
        "selected \\fINAME\\fR (an entry of the directory, renamed in the order given) gets a new name\n"
        "from a name template, and each file keeps its one\\-line description (\\fIDescript.ion\\fR)\n"
        "under its new name.\n"
        ".PP\n"
        "Without \\fB\\-\\-yes\\fR or \\fB\\-\\-cancel\\fR the plug\\-in's dialog is shown on the terminal;\n"
        "the options answer its fields.\n"
        "\\fB\\-\\-dry\\-run\\fR shows the plan, computed by the same code as the run, and changes nothing.\n"
        "Every run that renames is kept in a journal first, so that \\fB\\-\\-undo\\fR can take it back.\n"
        "The plug\\-in writes the journal itself, in every host: \\fBvelmora \\-u\\fR takes back a run made\n"
        "in far2l, and the plug\\-in's menu entry \\fIUndo last batch rename\\fR (\\fB\\-\\-menu 2\\fR here, "
        "its\n"
        "question answered by \\fB\\-\\-yes\\fR or \\fB\\-\\-cancel\\fR) takes back a run made by velmora.\n"
        ".PP\n"
        "Undo steps back: each \\fB\\-\\-undo\\fR takes the newest run of the directory not yet undone,\n"
        "so the next one takes the run before the one just undone, through the runs kept.\n"
        "Each checks its files as they are now: what changed since is left alone and named. A run of\n"
        "which something was left alone stays the next one until an undo finds nothing more of it to\n"
        "bring back. \\fB\\-\\-undo\\-list\\fR lists the kept runs, newest first: when, how many files,\n"
        "which one \\fB\\-\\-undo\\fR takes next (\\fBnext\\fR; \\fBundone\\fR; \\fBwaiting\\fR,\n"
        "older than the next; \\fBunavailable\\fR or \\fBdamaged\\fR when its journal could not be\n"
        "written or read), the\n"
        "template. The plug\\-in's menu entry lists them too; there only the next one can be chosen.\n"
        ".SH OPTIONS\n";
    for (const OptionEntry& entry : OptionTable()) {
        if (entry.group)
            page += ".SS " + Roff(entry.group) + "\n";
        page += ".TP\n" + RoffSynopsis(entry) + "\n" + Roff(entry.help) + "\n";
    }
    page +=
        ".PP\n"
        "Short options group as usual (\\fB\\-yd\\fR is \\fB\\-y \\-d\\fR); \\fB\\-\\-\\fR ends the "
        "options.\n"
        ".SH NAME TEMPLATE\n"
        ".TP\n\\fB%F\\fR\nthe old name, whole\n"
        ".TP\n\\fB%N\\fR\nthe base name (without the last dot and extension)\n"
        ".TP\n\\fB%E\\fR\nthe extension, without the dot\n"
        ".TP\n\\fB%#\\fR\nthe counter in decimal (start number + position), zero\\-padded\n"
        ".TP\n\\fB%h\\fR, \\fB%H\\fR\nthe counter in hexadecimal, lower or upper case, zero\\-padded\n"
        ".TP\n\\fB%T\\fR\nthe number of selected files\n"
        ".TP\n\\fB%%\\fR\na percent sign\n"
        ".TP\n\\fB%{mdate:\\fR\\fIFORMAT\\fR\\fB}\\fR\nthe last\\-modified time, local, as the panel "
        "shows it\n"
        ".TP\n\\fB%{cdate:\\fR\\fIFORMAT\\fR\\fB}\\fR\nthe creation time the panel gives (on POSIX "
        "the status change time, as far2l gives it)\n"
        ".TP\n\\fB%{taken:\\fR\\fIFORMAT\\fR\\fB}\\fR\nthe date a photo or clip was taken (EXIF "
        "DateTimeOriginal, DateTimeDigitized, DateTime of JPEG, TIFF, HEIC, HEIF, HIF, AVIF, PNG, WebP,\n"
        "DNG, NEF, NRW, CR2, CR3, ARW, ORF, PEF, SRW, RW2, RWL, RAF; the recorded date of MP4, MOV, M4V,\n"
        "3GP, 3G2, AVI); the modified time for a file without one\n"
        ".TP\n\\fB%{now:\\fR\\fIFORMAT\\fR\\fB}\\fR\nthe time the batch started, the same for every file\n"
        ".TP\n\\fB%{folder}\\fR\nthe name of the folder; empty at a root\n"
        ".TP\n\\fB%{N:\\fR\\fIRANGE\\fR\\fB}\\fR, \\fB%{F:\\fR\\fIRANGE\\fR\\fB}\\fR, "
        "\\fB%{E:\\fR\\fIRANGE\\fR\\fB}\\fR\ncharacters of the base name, the whole name, the extension\n"
        ".TP\n\\fB%{dup}\\fR, \\fB%{dup:\\fR\\fIFORMAT\\fR\\fB}\\fR\nnothing for the first file that would "
        "take a name; _1, _2, ... for each later one; \\fIFORMAT\\fR places the number where # stands "
        "(\\fB%{dup: (#)}\\fR gives \" (1)\")\n"
        ".TP\n\\fB%{make}\\fR, \\fB%{model}\\fR\nthe camera's or phone's maker and model as the file records "
        "them; a character no name may have becomes _; nothing for a file without them\n"
        ".PP\n"
        "A start number written with leading zeros (0001) sets the counter's minimum width.\n"
        "In \\fIFORMAT\\fR, YYYY, YY, MM, DD, hh, mm, ss and fff (milliseconds; 000 where the source has\n"
        "none) are the date's fields and every other\n"
        "character is copied; without a format the date is YYYY\\-MM\\-DD. A \\fIRANGE\\fR is\n"
        "\\fIa\\fR\\-\\fIb\\fR, \\fIa\\fR\\- (to the end) or \\fIa\\fR, counted from 1 in characters;\n"
        "a negative number counts from the end. An unknown word, a brace without its end, a format\n"
        "without fields or a bad range is refused (exit status 1); \\fB%%{\\fR writes \\fB%{\\fR.\n"
        "Photos by date taken, a counter for the same second:\n"
        "\\fB\\-m '%{taken:YYYYMMDD_hhmmss}_%#.%E'\\fR; scans by folder:\n"
        "\\fB\\-m '%{folder} %#.%E'\\fR; a piece of the old name: \\fB\\-m '%{N:1\\-8}.%E'\\fR.\n"
        "A phone dump, a number only where a name is taken:\n"
        "\\fB\\-m '%{taken:YYYYMMDD_hhmmss}%{dup}.%E'\\fR. \\fB%{dup}\\fR numbers the final name (after "
        "find\n"
        "and replace, letter case and the cut): a name is taken by an earlier file of the batch or by a\n"
        "file that keeps it (outside the batch, or given its own name again); names are compared as the\n"
        "host does (without letter case on Windows). The same template run again changes nothing.\n"
        ".SH FIND, REPLACE AND LETTER CASE\n"
        "The template makes the new name first; then every match of \\fB\\-\\-find\\fR in it is replaced,\n"
        "then the letter case of the name and of its extension is set, each on its own; last the name is\n"
        "cut to 260, as the template's alone would be. \\fB\\-\\-find\\fR is plain text and ignores the case "
        "of\n"
        "letters unless \\fB\\-\\-regex\\fR (ECMAScript syntax; the replacement takes "
        "\\fB$1\\fR..\\fB$9\\fR,\n"
        "\\fB$&\\fR and \\fB$$\\fR) or \\fB\\-\\-match\\-case\\fR say otherwise. The dialog keeps its last\n"
        "answers, so \\fB\\-\\-find\\fR answers its three switches too: off unless given.\n"
        ".SH PRESETS\n"
        "A preset keeps every answer of the dialog under a name: template, start number, the switches,\n"
        "find and replace with their switches, the two letter cases. The dialog's \\fBPresets\\fR button\n"
        "lists them (Enter loads one, Ins stores the dialog's answers, Del deletes, F4 renames), and so\n"
        "do these options: \\fB\\-\\-preset\\fR \\fINAME\\fR takes a preset's answers, and the answers\n"
        "given beside it override them; \\fB\\-\\-save\\-preset\\fR \\fINAME\\fR stores the answers given\n"
        "over the dialog's last ones (or over \\fB\\-\\-preset\\fR's) and renames nothing, replacing a\n"
        "stored preset only with \\fB\\-\\-yes\\fR; \\fB\\-\\-list\\-presets\\fR prints the names, as the\n"
        "dialog's list sorts them; \\fB\\-\\-delete\\-preset\\fR \\fINAME\\fR deletes one.\n"
        "A name holds 1 to 64 characters, no backslash and no control character. A name that is not\n"
        "stored exits with\n"
        "status 1 and the names there are.\n"
        ".SH EDIT NAMES\n"
        "\\fB\\-\\-edit\\fR writes the new names, as the template and the steps make them, one a\n"
        "line in the selection's order, to a temporary file and opens it in \\fB$VISUAL\\fR, else\n"
        "\\fB$EDITOR\\fR, else \\fBvi\\fR, through the shell (so \\fBcode \\-w\\fR works);\n"
        "\\fB\\-\\-edit\\-from\\fR \\fIFILE\\fR takes the lines from a file (\\fB\\-\\fR: standard input).\n"
        "Each line is then the new name of its file, and the run goes on as the dialog would:\n"
        "\\fB\\-n\\fR shows the plan, \\fB\\-y\\fR renames, neither shows the dialog, where the button\n"
        "\\fIEdit names\\fR and \\fBF4\\fR do the same. A line equal to the old name keeps the file;\n"
        "a line is never a deletion. Lines end with LF or CR LF. Refused, with the line named and\n"
        "nothing renamed: a count of lines other than the count of files, an empty line, a character\n"
        "no name may have (\\fB/\\fR here), \\fB.\\fR or \\fB..\\fR, a name over 255 bytes, two lines\n"
        "with one name. An editor that exits non\\-zero cancels, and nothing is renamed.\n"
        ".SH EXIT STATUS\n"
        ".TP\n0\ndone, without a warning\n"
        ".TP\n1\na warning was shown; with \\fB\\-\\-dry\\-run\\fR, the run would show one; with\n"
        "\\fB\\-\\-undo\\fR, not everything could be taken back, or there was nothing to take back\n"
        ".TP\n2\nusage or loading error: nothing was done\n"
        ".SH FILES\n"
        ".TP\n\\fI$XDG_CONFIG_HOME/velmora/registry.reg\\fR\n"
        "the plug\\-in's options, its presets (one key each below \\fIVelmora\\e\\&Presets\\fR) and the\n"
        "stored \\fB\\-\\-preview\\fR switch (REGEDIT4 text)\n"
        ".TP\n\\fI$XDG_STATE_HOME/velmora/\\fR\n"
        "the undo journal: the last 20 runs of each directory, at most 64 MB in all, the oldest run\n"
        "of any directory going first (default \\fI~/.local/state/velmora/\\fR;\n"
        "on Windows \\fI%LOCALAPPDATA%\\e\\&Velmora\\e\\fR, or the \\fIJournal\\fR folder beside the "
        "plug\\-in\n"
        "when that is not set)\n"
        ".SH EXAMPLES\n"
        ".TP\n\\fBvelmora \\-n \\-y \\-m 'IMG_%#.%E' \\-s 1 *.jpg\\fR\n"
        "shows how the pictures would be numbered, and renames nothing\n"
        ".TP\n\\fBvelmora \\-yd \\-m 'IMG_%#.%E' \\-s 1 *.jpg\\fR\n"
        "numbers them, their descriptions following them\n"
        ".TP\n\\fBvelmora \\-y \\-f ' ' \\-r _ \\-\\-ext\\-case lower *\\fR\n"
        "spaces to underscores, extensions in small letters\n"
        ".TP\n\\fBvelmora \\-\\-save\\-preset Scans \\-m '%{folder} %#.%E' \\-s 1\\fR, then \\fBvelmora \\-y "
        "\\-\\-preset Scans *.pdf\\fR\n"
        "keeps the answers under a name and numbers each month's scans with them\n"
        ".TP\n\\fBvelmora \\-y \\-\\-edit *.mp3\\fR\n"
        "the songs' new names in the editor, one a line; the files follow what is saved\n"
        ".TP\n\\fBvelmora \\-u\\fR\n"
        "takes the last run in this directory back\n"
        ".TP\n\\fBfind . \\-maxdepth 1 \\-name '*.raw' \\-printf '%f\\e0' | velmora \\-0 \\-\\-select\\-from "
        "\\- \\-y \\-m '%N.dng'\\fR\n"
        "renames the names read from standard input\n";
    return page;
}

std::string BashCompletion() {
    std::string words;
    for (const OptionEntry& entry : OptionTable())
        words += (words.empty() ? "" : " ") + Names(entry);
    std::string script =
        "# bash completion for velmora, made from velmora's own option table.\n"
        "# shellcheck disable=SC2034,SC2207 # bash-completion's own idioms\n"
        "_velmora() {\n"
        "    local cur prev words cword split\n"
        "    _init_completion -s || return\n"
        "\n"
        "    case $prev in\n";
    const struct {
        OptionValue value;
        const char* action;
    } kinds[] = {
        {OptionValue::Directory, "_filedir -d"},
        {OptionValue::File, "_filedir"},
        {OptionValue::Switch01, "COMPREPLY=($(compgen -W '0 1' -- \"$cur\"))"},
        {OptionValue::LetterCase, "COMPREPLY=($(compgen -W 'unchanged lower upper title' -- \"$cur\"))"},
        {OptionValue::Text, ":"},
    };
    for (const auto& kind : kinds) {
        const std::string pattern = CasePattern(kind.value);
        if (pattern.empty())
            continue;
        script += "    " + pattern + ")\n        " + kind.action + "\n        return\n        ;;\n";
    }
    script +=
        "    esac\n"
        "    $split && return\n"
        "\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W '" +
        words +
        "' -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    # NAMEs are entries of the panel directory: the last -C or --dir given, else this one.\n"
        "    local i dir=.\n"
        "    for ((i = 1; i < cword; i++)); do\n"
        "        case ${words[i]} in\n"
        "        -C | --dir) dir=${words[i + 1]-.} ;;\n"
        "        --dir=*) dir=${words[i]#--dir=} ;;\n"
        "        esac\n"
        "    done\n"
        "    if [[ $dir == . ]]; then\n"
        "        _filedir\n"
        "    else\n"
        "        local IFS=$'\\n'\n"
        "        compopt -o filenames 2>/dev/null\n"
        "        COMPREPLY=($(cd -- \"${dir/#\\~/$HOME}\" 2>/dev/null && compgen -f -- \"$cur\"))\n"
        "    fi\n"
        "} &&\n"
        "    complete -F _velmora velmora\n";
    return script;
}

}  // namespace velmora::host
