#pragma once

// The name of a test database file as the SQLite ODBC driver must be given
// it. Under Wine the driver is the host's (Wine's ODBC hands connections to
// the host's unixODBC), so it takes the host's path of the file, which Wine
// tells; anywhere else the path as it is.

#include <QString>

#ifdef _WIN32
#include <windows.h>
#endif

namespace test_support {

inline QString sqlite_database(const QString& path) {
#ifdef _WIN32
  using unix_name_of = char*(__cdecl*)(const wchar_t*);
  const auto wine_unix_name = reinterpret_cast<unix_name_of>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (wine_unix_name == nullptr) return path;
  char* name = wine_unix_name(reinterpret_cast<const wchar_t*>(path.utf16()));
  if (name == nullptr) return path;
  const QString unix_path = QString::fromUtf8(name);
  HeapFree(GetProcessHeap(), 0, name);
  return unix_path;
#else
  return path;
#endif
}

}  // namespace test_support
