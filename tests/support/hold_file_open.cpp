// hold_file_open PATH [r|w]: opens PATH for reading or writing (appending),
// prints "open" once it holds it, and keeps it open until stdin closes.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const bool write = argc > 2 && std::strcmp(argv[2], "w") == 0;
  const int fd = ::open(argv[1], write ? (O_WRONLY | O_APPEND) : O_RDONLY);
  if (fd < 0) {
    std::perror("open");
    return 1;
  }
  std::printf("open\n");
  std::fflush(stdout);
  char buffer[64];
  while (::read(0, buffer, sizeof buffer) > 0) {
  }
  ::close(fd);
  return 0;
}
