// Runs a command with transparent huge pages off for it (and what it
// starts), whatever the system's setting, to time readers without them:
//   kolvar-nothp COMMAND [ARGUMENT...]
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "gebruik: kolvar-nothp COMMANDO [ARGUMENT...]\n");
        return 2;
    }
    // Kept across execve and inherited by children.
    if (::prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0) != 0) {
        std::perror("kolvar-nothp: prctl");
        return 1;
    }
    ::execvp(argv[1], argv + 1);
    std::perror("kolvar-nothp");
    return 127;
}
