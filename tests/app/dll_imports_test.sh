#!/bin/sh
# Nothing dropped beside Kestrane.exe gets loaded: Windows takes a DLL of the normal import
# table from the program's own folder first unless it is one of its known DLLs, so the
# built image imports only those; every other system DLL is delay-loaded after main() has
# limited loads to the system folder. (Wine prefers its built-in DLLs, so this is checked
# on the image rather than by planting a DLL.)
#
# Usage: dll_imports_test.sh OBJDUMP PROGRAM.exe...
set -eu
. "$(dirname "$0")/../scripts/check.sh"
objdump=$1
shift

# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows 10 and 11,
# and ntdll, which every process has loaded before its imports.
known=" advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt normaliz "
known="$known nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 "

imports_of() {
  "$objdump" -p "$1" | awk '
    /^The Import Tables/ { on = 1; next }
    /^The / { on = 0 }
    on && /DLL Name:/ { name = tolower($3); sub(/\.dll$/, "", name); print name }'
}

only_known() {  # program: every imported DLL is a known one, and the table was found
  names=$(imports_of "$1")
  [ -n "$names" ] || { echo "     no import table read from $1"; return 1; }
  unknown=""
  for dll in $names; do
    case "$known" in *" $dll "*) ;; *) unknown="$unknown $dll" ;; esac
  done
  is "${unknown# }" ""
}

for program in "$@"; do
  check "$(basename "$program") imports only known DLLs" only_known "$program"
done
verdict
