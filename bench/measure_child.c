/* quorvane-measure OUT PROGRAM [ARG...]: runs PROGRAM as a fresh process and
 * writes "<peak resident kB> <user s> <system s> <exit status>" into OUT.
 *
 * The benchmark cannot take these figures from a child of its own: a child's
 * peak resident size starts at its parent's, and the benchmark is large. This
 * helper is small, so what it passes on is far below anything measured. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: quorvane-measure OUT PROGRAM [ARG...]\n");
    return 2;
  }
  const pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage ru;
  if (wait4(pid, &status, 0, &ru) != pid) return 2;
  FILE* out = fopen(argv[1], "w");
  if (out == NULL) return 2;
  fprintf(out, "%ld %.6f %.6f %d\n", ru.ru_maxrss, ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6,
          ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
  fclose(out);
  return 0;
}
