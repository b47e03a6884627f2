#!/usr/bin/env bash
# Drives the velmora host's terminal dialog in a private tmux server: keys go in with send-keys,
# the screen comes back with capture-pane, and every step waits for the text it expects.
# Usage: tui_test.sh VELMORA_BINARY
set -u
velmora=$(realpath "$1")
help_file="$(dirname "$velmora")/VelmoraEng.hlf"
work=$(mktemp -d)
runs=0
socket="velmora-tui-$$-0"
tmx() { tmux -L "$socket" "$@"; }
cleanup() { tmx kill-server 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
failures=0

fail() {
    echo "FAIL: $*"
    echo "---- screen ----"
    tmx capture-pane -p -t tui 2>/dev/null
    echo "----------------"
    failures=$((failures + 1))
}

# wait_for TEXT [SECONDS]: polls the screen until TEXT shows up.
wait_for() {
    local deadline=$((SECONDS + ${2:-10}))
    while ((SECONDS < deadline)); do
        tmx capture-pane -p -t tui 2>/dev/null | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    return 1
}

# wait_gone TEXT: polls until TEXT is no longer on the screen.
wait_gone() {
    local deadline=$((SECONDS + ${2:-10}))
    while ((SECONDS < deadline)); do
        tmx capture-pane -p -t tui 2>/dev/null | grep -qF -- "$1" || return 0
        sleep 0.1
    done
    return 1
}

# wait_exit: waits for velmora to finish and prints its exit status.
wait_exit() {
    local deadline=$((SECONDS + 15))
    while ((SECONDS < deadline)); do
        [[ -s "$work/status" ]] && { cat "$work/status"; return 0; }
        sleep 0.1
    done
    echo timeout
}

# start NAME...: runs velmora on $work/dir with the given selection in a fresh window of
# $cols x $rows (100x30 unless a case sets them).
cols=100
rows=30
start() {
    rm -f "$work/status"
    # A fresh server each time: a server still shutting down must not meet the next client.
    tmx kill-server 2>/dev/null
    runs=$((runs + 1))
    socket="velmora-tui-$$-$runs"
    local command="cd '$work/dir' && '$velmora'"
    for name in "$@"; do command+=" '$name'"; done
    # stderr goes to a file: curses draws on stdout, and sanitizer reports must not be missed.
    command+=" 2>> '$work/stderr'; echo \$? > '$work/status'; exec sleep 600"
    tmx -f /dev/null new-session -d -s tui -x "$cols" -y "$rows" \
        -e LANG=C.UTF-8 -e LC_ALL= -e TERM=xterm-256color -e "XDG_CONFIG_HOME=$work/config" -e "XDG_STATE_HOME=$work/state" -e "EDITOR=sh '$work/edit.sh'" -e VISUAL= "$command"
    wait_for "Name template" || fail "the dialog did not appear"
}

mkdir -p "$work/dir" "$work/config"
touch "$work/dir/a.txt" "$work/dir/b.txt"
printf 'a.txt first file\n' > "$work/dir/descript.ion"

# 1. A whole rename from the dialog: type a template, tick "Save file descriptions", press Enter
#    in the field (Enter counts as OK).
start a.txt b.txt
screen=$(tmx capture-pane -p -t tui)
for text in "╔" "{ OK }" "[ Cancel ]" "[ ] Save file descriptions" "╟───"; do
    grep -qF -- "$text" <<< "$screen" || fail "dialog lacks '$text'"
done
tmx send-keys -t tui C-y
tmx send-keys -t tui -l 'n_%F'
wait_for "n_%F" || fail "typed template not shown"
# The live preview follows the typing: the first files' new names and the summary.
wait_for "a.txt -> n_a.txt" || fail "live preview line not shown"
wait_for "2 rename, 0 keep" || fail "live summary not shown"
tmx send-keys -t tui Tab Tab Tab Space
wait_for "[x] Save file descriptions" || fail "switch not toggled"
# Back to the template field: Enter there must count as OK.
tmx send-keys -t tui BTab BTab BTab Enter
status=$(wait_exit)
[[ "$status" == 0 ]] || fail "rename run exit status $status"
[[ -e "$work/dir/n_a.txt" && -e "$work/dir/n_b.txt" && ! -e "$work/dir/a.txt" ]] ||
    fail "files not renamed: $(ls "$work/dir")"
# The same answers given on the command line must leave the very same directory behind.
mkdir -p "$work/scripted" "$work/scripted-config"
touch "$work/scripted/a.txt" "$work/scripted/b.txt"
printf 'a.txt first file\n' > "$work/scripted/descript.ion"
(cd "$work/scripted" && XDG_CONFIG_HOME="$work/scripted-config" XDG_STATE_HOME="$work/state" "$velmora" --yes --mask 'n_%F' \
    --save-descriptions 1 a.txt b.txt > /dev/null 2>&1)
diff <(cd "$work/dir" && ls && cat descript.ion) <(cd "$work/scripted" && ls && cat descript.ion) > /dev/null ||
    fail "dialog run differs from the scripted run with the same answers"

# 2. The history offers the template used before; F1 shows the dialog's topic; a window too
#    small says so; Esc cancels and changes nothing.
start n_a.txt n_b.txt
tmx send-keys -t tui C-Down
wait_for "│ n_%F" || fail "history list not shown"
tmx send-keys -t tui Escape
wait_gone "│ n_%F" || fail "history list not closed"
heading=$(sed -n '/^@EnterVelmora/,/^@/{/^\$/{s/^\$ *//;s/#//g;p;q}}' "$help_file")
tmx send-keys -t tui F1
wait_for "${heading:-Help}" || fail "help topic '$heading' not shown"
tmx send-keys -t tui Escape
wait_for "{ OK }" || fail "dialog not back after help"
tmx resize-window -t tui -x 40 -y 10
wait_for "window too small: need " || fail "small window not reported"
tmx resize-window -t tui -x 100 -y 30
wait_for "{ OK }" || fail "dialog not back after resize"
tmx send-keys -t tui -l 'zzz'
wait_for "zzz" || fail "typed text not shown"
tmx send-keys -t tui Escape
status=$(wait_exit)
[[ "$status" == 0 ]] || fail "cancel exit status $status"
[[ "$(ls "$work/dir" | tr '\n' ' ')" == "descript.ion n_a.txt n_b.txt " ]] || fail "cancel changed files: $(ls "$work/dir")"

# 3. A failure shows a warning box in warning colours that waits for its button.
start n_a.txt
tmx send-keys -t tui C-y
tmx send-keys -t tui -l 'n_b.txt'
wait_for "n_b.txt " || fail "typed template not shown"
wait_for "stops at file 1: n_b.txt exists" || fail "live summary does not name the stop"
# Preview lists the plan with the stop marked; Esc goes back to the dialog as it was left. The
# buttons come last, so Shift+Tab from the template reaches Preview, and Tab from it the template.
tmx send-keys -t tui BTab Enter
wait_for "! n_a.txt -> n_b.txt" || fail "plan list not shown with its stop"
tmx send-keys -t tui Escape
wait_for "{ OK }" || fail "dialog not back after the plan list"
tmx send-keys -t tui Tab
tmx send-keys -t tui Enter
wait_for "File already exists" || fail "warning box not shown"
tmx capture-pane -e -p -t tui | grep "File already exists" | grep -qE $'\e\\[[0-9;]*41m' ||
    fail "warning box not in warning colours"
tmx send-keys -t tui Enter
status=$(wait_exit)
[[ "$status" == 1 ]] || fail "warning run exit status $status"
[[ -e "$work/dir/n_a.txt" && -e "$work/dir/n_b.txt" ]] || fail "files changed after warning"

# 4. --preview: the plan comes before the run, old -> new, the item the run would stop at marked
#    in warning colours with its reason and the untried rest set apart. Esc goes back to the
#    dialog as it was left; Enter in the preview renames.
touch "$work/dir/Горы.txt" "$work/dir/海边.txt" "$work/dir/p_1.txt"
start --preview Горы.txt 海边.txt n_a.txt
tmx send-keys -t tui C-y
tmx send-keys -t tui -l 'p_%#.txt'
tmx send-keys -t tui Enter
wait_for "Esc back to the dialog" || fail "the preview did not appear"
screen=$(tmx capture-pane -p -t tui)
for text in "Горы.txt → p_0.txt" "! 海边.txt → p_1.txt   FileExist" "the run stops here" "n_a.txt  → p_2.txt"; do
    grep -qF -- "$text" <<< "$screen" || fail "preview lacks '$text'"
done
tmx capture-pane -e -p -t tui | grep "海边.txt →" | grep -qE $'\e\\[[0-9;]*41m' || fail "stop not in warning colours"
tmx send-keys -t tui Escape
wait_for "Name template" || fail "Esc did not go back to the dialog"
wait_for "p_%#.txt" || fail "the dialog lost the template"
tmx send-keys -t tui Tab C-y
tmx send-keys -t tui -l '5'
tmx send-keys -t tui Enter
wait_for "n_a.txt  → p_7.txt" || fail "the preview does not follow the new answers"
tmx send-keys -t tui Enter
status=$(wait_exit)
[[ "$status" == 0 ]] || fail "preview run exit status $status"
[[ -e "$work/dir/p_5.txt" && -e "$work/dir/p_6.txt" && -e "$work/dir/p_7.txt" ]] || fail "not renamed after the preview: $(ls "$work/dir")"

# 5. The switch is kept: the next run previews without the option; Esc and Esc again cancel.
start p_5.txt
tmx send-keys -t tui Enter
wait_for "Esc back to the dialog" || fail "the preview switch was not kept"
tmx send-keys -t tui Escape
wait_for "Name template" || fail "Esc did not go back to the dialog"
tmx send-keys -t tui Escape
status=$(wait_exit)
[[ "$status" == 0 && -e "$work/dir/p_5.txt" ]] || fail "cancel after a preview: status $status, $(ls "$work/dir")"

# 6. A dry run from the dialog prints the plan once the dialog is gone, and keeps nothing: no
#    file renamed, no option stored, no history.
start --dry-run p_5.txt
tmx send-keys -t tui C-y
tmx send-keys -t tui -l 'zz_%F'
tmx send-keys -t tui Enter
wait_for "rename     p_5.txt -> zz_p_5.txt" || fail "the plan was not printed"
status=$(wait_exit)
[[ "$status" == 0 && -e "$work/dir/p_5.txt" ]] || fail "dry run: status $status, $(ls "$work/dir")"
! grep -q "zz_" "$work/config/velmora/registry.reg" || fail "the dry run stored its answers"

# 7. Answers given on the command line fill the dialog once: back from the plan's list, the
#    dialog keeps what the user typed over them.
start --no-preview --mask 'cmd_%F' p_5.txt
tmx send-keys -t tui C-y
tmx send-keys -t tui -l 'typed_%F'
wait_for "p_5.txt -> typed_p_5.txt" || fail "live preview of the typed template not shown"
tmx send-keys -t tui BTab Enter
wait_for "Enter: rename, Esc: back to the dialog" || fail "plan list not shown"
tmx send-keys -t tui Escape
wait_for "typed_%F" || fail "the command line's answer came back over the typed one"
tmx send-keys -t tui Escape
status=$(wait_exit)
[[ "$status" == 0 && -e "$work/dir/p_5.txt" ]] || fail "cancel after the plan list: status $status"

# 8. The dialog fits a classic 80x25 terminal. Find, replace and letter case there: Tab goes as
#    the screen reads, from the template through the fields above to the Find field before any
#    button; type in it and in Replace with; the live preview follows, and so does a letter-case
#    radio button (the group one Tab stop, the arrows moving inside it) chosen with Space, the
#    others of its group going off. OK renames as the preview said, and the find text is offered by the field's history
#    next time. The part after the frame runs once the plug-in's dialog has these fields (its
#    find history is then named in the module).
cols=80 rows=25
start --no-preview p_5.txt
screen=$(tmx capture-pane -p -t tui)
for text in "╔" "{ OK }" "[ Cancel ]"; do
    grep -qF -- "$text" <<< "$screen" || fail "dialog at 80x25 lacks '$text'"
done
! grep -qF "window too small" <<< "$screen" || fail "the dialog does not fit 80x25"
if grep -qaF "Velmora_Find" "$(dirname "$velmora")/Velmora.far-plug-mb"; then
    # Start number, without zeros, save descriptions, then Find.
    tmx send-keys -t tui Tab Tab Tab Tab C-y
    tmx send-keys -t tui -l 'p_'
    tmx send-keys -t tui Tab C-y
    tmx send-keys -t tui -l 'q_'
    wait_for "p_5.txt -> q_5.txt" || fail "the live preview does not follow find and replace"
    # Regular expression, match case, first only, then the name's group on unchanged: lower, UPPER.
    tmx send-keys -t tui Tab Tab Tab Tab Right Right Space
    wait_for "p_5.txt -> Q_5.txt" || fail "the live preview does not follow the name's letter case"
    [[ $(tmx capture-pane -p -t tui | grep -o "(•)" | wc -l) == 2 ]] ||
        fail "a radio group has other than one button on"
    tmx send-keys -t tui Enter
    status=$(wait_exit)
    [[ "$status" == 0 && -e "$work/dir/Q_5.txt" && ! -e "$work/dir/p_5.txt" ]] ||
        fail "find, replace and case run: status $status, $(ls "$work/dir")"
    start Q_5.txt
    tmx send-keys -t tui Tab Tab Tab Tab C-Down
    wait_for "│ p_" || fail "the find field's history not shown"
    tmx send-keys -t tui Escape
    wait_gone "│ p_" || fail "history list not closed"
else
    echo "SKIP: find, replace and letter case in the dialog (the plug-in's dialog has no such fields yet)"
fi
tmx send-keys -t tui Escape
status=$(wait_exit)
[[ "$status" == 0 ]] || fail "cancel at 80x25: status $status"
cols=100 rows=30

# 9. Presets: the dialog's button opens the list (its keys on the bottom line); Ins stores the
#    dialog's answers under a name typed in a box, Enter loads one and the live preview follows.
XDG_CONFIG_HOME="$work/config" "$velmora" --save-preset 'Сканы' -m 'scan_%#.txt' -s 7 ||
    fail "--save-preset failed"
touch "$work/dir/r.txt"
start r.txt
tmx send-keys -t tui BTab BTab BTab BTab Enter
wait_for "Enter load, Ins save, Del delete, F4 rename" || fail "the presets list did not appear"
wait_for "Сканы" || fail "the presets list lacks the stored one"
tmx send-keys -t tui IC
wait_for "Name of the preset" || fail "Ins did not ask a name"
tmx send-keys -t tui -l 'Мой'
tmx send-keys -t tui Enter
wait_for "Мой" || fail "the new preset is not listed"
# Sorted by name, the new one first and under the cursor: Down reaches Сканы.
tmx send-keys -t tui Down Enter
# The preset holds the dialog's other answers as they were stored with it (the name UPPER).
wait_for "r.txt -> SCAN_7.txt" || fail "the loaded preset's preview not shown"
tmx send-keys -t tui Escape
status=$(wait_exit)
[[ "$status" == 0 && -e "$work/dir/r.txt" ]] || fail "presets: status $status, $(ls "$work/dir")"
listed=$(XDG_CONFIG_HOME="$work/config" "$velmora" --list-presets)
[[ "$listed" == $'Мой\nСканы' ]] || fail "presets listed: $listed"

# 10. Edit names: F4 gives the terminal to $EDITOR (here a script) on the new names, one a line;
#    the dialog comes back with the edited names in its list and summary, and OK renames them.
printf "sed -i 's/^e_/x_/' \"\$1\"\n" > "$work/edit.sh"
touch "$work/dir/e_1.txt" "$work/dir/e_2.txt"
start --no-preview --mask '%F' --find '' --name-case unchanged e_1.txt e_2.txt
tmx send-keys -t tui F4
wait_for "e_1.txt -> x_1.txt" || fail "the edited names are not in the dialog's list"
wait_for "edited by hand" || fail "the summary does not say the names were edited"
tmx send-keys -t tui Enter
status=$(wait_exit)
[[ "$status" == 0 && -e "$work/dir/x_1.txt" && -e "$work/dir/x_2.txt" && ! -e "$work/dir/e_1.txt" ]] ||
    fail "edited names not renamed: status $status, $(ls "$work/dir")"

# 11. A change to the template after an edit asks whether to drop the edited names; Yes gives the
#     names back to the template (the first key typed replaces the text, as in FAR).
touch "$work/dir/e_3.txt"
start --no-preview --mask '%F' e_3.txt
tmx send-keys -t tui F4
wait_for "e_3.txt -> x_3.txt" || fail "the edited name is not in the dialog's list"
tmx send-keys -t tui -l 'Z'
wait_for "Drop them" || fail "no question after the template changed"
tmx send-keys -t tui Enter
wait_for "e_3.txt -> Z" || fail "the template does not make the names after the drop"
tmx send-keys -t tui Escape
status=$(wait_exit)
[[ "$status" == 0 && -e "$work/dir/e_3.txt" ]] || fail "cancel after the drop: status $status"

if grep -qE "Sanitizer|runtime error" "$work/stderr" 2>/dev/null; then
    fail "sanitizer report: $(head -20 "$work/stderr")"
fi

if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "terminal dialog tests passed"
