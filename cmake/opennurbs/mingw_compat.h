/* Force-included into the openNURBS files that call what mingw-w64 lacks or
   declares elsewhere (see CMakeLists.txt):
   - the file utilities take the Microsoft-compiler branch for the shell's known
     folders, whose headers they include only under that compiler, and the POSIX
     branch for directory listing, which needs two names <dirent.h> lacks here;
   - the wide string scanner calls the C runtime's locale-taking scanner, which
     the Microsoft runtime has and mingw-w64 does not declare. */
#ifndef ORVEX_OPENNURBS_MINGW_COMPAT_H
#define ORVEX_OPENNURBS_MINGW_COMPAT_H

/* <windows.h> first: the shell headers need its definitions. */
/* clang-format off */
#include <windows.h>
/* clang-format on */

#include <dirent.h>
#include <knownfolders.h>
#include <locale.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#ifndef NAME_MAX
#define NAME_MAX FILENAME_MAX
#endif

/* readdir_r on readdir: each directory stream is read by one iterator only. */
static inline int readdir_r(DIR* dir, struct dirent* entry, struct dirent** result) {
  struct dirent* next = readdir(dir);
  if (next == NULL) {
    *result = NULL;
    return 0;
  }
  memcpy(entry, next, sizeof *entry);
  *result = entry;
  return 0;
}

/* The scan in the process's locale: the host and the plug-in never change it
   from "C". */
static inline int _vswscanf_s_l(const wchar_t* buffer, const wchar_t* format, _locale_t locale,
                                va_list args) {
  (void)locale;
  return vswscanf(buffer, format, args);
}

#endif
