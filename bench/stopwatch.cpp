// Runs a command with its standard output thrown away and prints the wall
// time it took, in milliseconds, from just before the fork to just after the
// wait: the whole process, start-up included.
//
// Usage: stopwatch COMMAND [ARGUMENT ...]
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: stopwatch COMMAND [ARGUMENT ...]\n", stderr);
        return 2;
    }
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    clock_gettime(CLOCK_MONOTONIC, &end);
    std::printf("%.3f\n", (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
