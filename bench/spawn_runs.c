/* Starts programs one after another with posix_spawn and reports, for every
 * run, the wall time from the spawn to the reaped exit and the child's peak
 * resident set. It is built static and small because a spawned child's peak
 * RSS, as the kernel reports it, is at least the RSS of the process that
 * spawned it: spawned from Python, every program would seem to take 15 MB.
 *
 * Usage: spawn_runs INPUT ROUNDS PROGRAM [ARGS...] [-- PROGRAM [ARGS...]]...
 * Each round runs every program once, in a new random order (from a fixed
 * seed), so that no program always follows the same other one, with INPUT as
 * standard input and standard output and error to /dev/null.
 * Prints one line per run: program index, nanoseconds, peak RSS in kB, exit
 * status. */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

enum { MOST_PROGRAMS = 16 };

static long long nanoseconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void runOnce(int index, char** argv, const posix_spawn_file_actions_t* actions) {
    long long start = nanoseconds();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], actions, NULL, argv, environ) != 0) {
        perror(argv[0]);
        exit(2);
    }
    int status;
    struct rusage usage;
    wait4(pid, &status, 0, &usage);
    long long elapsed = nanoseconds() - start;
    printf("%d %lld %ld %d\n", index, elapsed, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: spawn_runs INPUT ROUNDS PROGRAM [ARGS...] [-- PROGRAM [ARGS...]]...\n");
        return 2;
    }
    char** programs[MOST_PROGRAMS];
    int count = 0;
    programs[count++] = argv + 3;
    for (int i = 3; i < argc && count < MOST_PROGRAMS; ++i) {
        if (strcmp(argv[i], "--") == 0) {
            argv[i] = NULL;
            programs[count++] = argv + i + 1;
        }
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, argv[1], O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    int rounds = atoi(argv[2]);
    int order[MOST_PROGRAMS];
    for (int k = 0; k < count; ++k) order[k] = k;
    srand(20261209);
    for (int round = 0; round < rounds; ++round) {
        for (int k = count - 1; k > 0; --k) {
            int other = rand() % (k + 1);
            int kept = order[k];
            order[k] = order[other];
            order[other] = kept;
        }
        for (int k = 0; k < count; ++k) runOnce(order[k], programs[order[k]], &actions);
    }
    return 0;
}
