/* measure_child: runs a program and prints its wall time, peak resident
 * memory and exit status, as "SECONDS PEAK_KIB STATUS".
 *
 * A child's peak memory counts the pages it shares with its parent before
 * it starts the program, so the measuring process must be small: this one
 * is plain C, with nothing but the C library, and the benchmark runs every
 * case through it. The program's own output goes to /dev/null. */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs("usage: measure_child PROGRAM [ARGUMENT...]\n", stderr);
    return 2;
  }
  double start = now();
  pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) != child) return 1;
  printf("%.6f %ld %d\n", now() - start, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
