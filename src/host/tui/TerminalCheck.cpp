// Kept apart from the drawing code: term.h defines a macro for every terminfo capability name
// ("lines", "columns", ...), which would clash with ordinary identifiers.
#include "host/tui/Screen.hpp"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velmora::host::tui {

bool Screen::Usable(std::string* error) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        *error = "the terminal dialog needs a terminal on stdin and stdout";
        return false;
    }
    const char* term = std::getenv("TERM");
    if (!term || !*term) {
        *error = "TERM is not set; cannot drive the terminal";
        return false;
    }
    int status = 0;
    if (setupterm(term, STDOUT_FILENO, &status) != OK) {
        *error = std::string("unknown terminal type '") + term + "' (no terminfo entry)";
        return false;
    }
    del_curterm(cur_term);
    return true;
}

}  // namespace velmora::host::tui
