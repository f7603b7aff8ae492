// hold_file_open PATH [r|w|d]: opens PATH for reading or writing (appending),
// prints "open" once it holds it, and keeps it open until stdin closes.
// On Windows the file is shared as a writing instrument shares it: for
// reading and writing, never for deletion, so no rename can take it; "d"
// reads it sharing deletion too, as a viewer may.
#include <cstdio>
#include <cstring>
#include <cwchar>

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it needs.
#include <shellapi.h>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  const wchar_t* how = argc > 2 ? argv[2] : L"r";
  const bool write = std::wcscmp(how, L"w") == 0;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if (std::wcscmp(how, L"d") == 0) share |= FILE_SHARE_DELETE;
  const HANDLE file = CreateFileW(argv[1], write ? FILE_APPEND_DATA : GENERIC_READ, share, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "open: error %lu\n", GetLastError());
    return 1;
  }
  std::printf("open\n");
  std::fflush(stdout);
  char buffer[64];
  DWORD got = 0;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  CloseHandle(file);
  return 0;
}
#else
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
#endif
