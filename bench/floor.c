/* The floor for a batch rename: for each name given (one a line on standard input, or the
 * arguments), stat the target, then rename; exactly two system calls per file. The new name is
 * IMG_<digits>.<extension> with the digits of the old name, as the benchmark's template makes. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

static int rename_one(const char *old_name) {
    char new_name[512];
    const char *digits = strchr(old_name, '_');
    const char *dot = strrchr(old_name, '.');
    if (!digits || !dot || dot < digits) {
        fprintf(stderr, "floor: unexpected name %s\n", old_name);
        return 1;
    }
    snprintf(new_name, sizeof new_name, "IMG_%.*s%s", (int)(dot - digits - 1), digits + 1, dot);
    struct stat st;
    if (stat(new_name, &st) == 0) {
        fprintf(stderr, "floor: %s exists\n", new_name);
        return 1;
    }
    if (rename(old_name, new_name) != 0) {
        perror(old_name);
        return 1;
    }
    return 0;
}

int main(int argc, char **argv) {
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            if (rename_one(argv[i]))
                return 1;
        return 0;
    }
    char line[512];
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\n")] = '\0';
        if (line[0] && rename_one(line))
            return 1;
    }
    return 0;
}
