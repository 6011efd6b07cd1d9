# shellcheck shell=bash
# The registry values that drelbin_win32_platform_tests reads, written as
# an installer or a user would write them: with `reg`, in a prefix whose
# ANSI code page is 932.  Sourced by scripts/wine-test-run once the prefix is
# ready.  registry_seam_test.cpp and lookups_under_wine_test.cpp expect
# exactly these keys and values.

values='HKCU\Software\drelbin tests\Values'
wine_reg_add "$values" /v Sz /t REG_SZ /d 'C:\Prog\app.exe,0'
wine_reg_add "$values" /v ExpandSz /t REG_EXPAND_SZ /d '%ProgramFiles%\Prog\app.exe'
wine_reg_add "$values" /v Empty /t REG_SZ /d ''
wine_reg_add "$values" /v Blank /t REG_SZ /d ' '
wine_reg_add "$values" /v Japanese /t REG_SZ /d 'C:\ソフト\表.exe'
wine_reg_add "$values" /v Dword /t REG_DWORD /d 1
wine_reg_add "$values" /v Binary /t REG_BINARY /d 0102
wine_reg_add "$values" /v EmptyBinary /t REG_BINARY
# `reg add` cannot put a NUL inside a REG_SZ; a .reg file can.  REGEDIT4
# is the ANSI form, whose hex(1) bytes are the text itself: "AB", NUL, "CD".
reg_file=$WINE_ENV_DIR/nul-inside.reg
printf '%s\r\n' REGEDIT4 '' \
  '[HKEY_CURRENT_USER\Software\drelbin tests\Values]' \
  '"NulInside"=hex(1):41,42,00,43,44,00' >"$reg_file"
wine_reg_import "$reg_file"

# HKEY_LOCAL_MACHINE: one key in each view, telling which view it is in, and
# one key that only the 64-bit view holds.
wine_reg_add 'HKLM\Software\drelbin tests\View' /v Written /d 'by a 32-bit installer'
wine_reg_add64 'HKLM\Software\drelbin tests\View' /v Written /d 'by a 64-bit installer'
wine_reg_add64 'HKLM\Software\drelbin tests\Only64' /v Written /d 'by a 64-bit installer'

# The TARNVEX application's own entries, as its 32-bit installer and the
# application leave them, with paths through ソ and 表 (second byte 0x5C).
# A decoy in the 64-bit view points elsewhere.
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TARNVEX for Windows'
wine_reg_add "$uninstall" /v DisplayIcon /d 'C:\drelbin tests\ソフト\TARNVEX.exe,0'
wine_reg_add64 "$uninstall" /v DisplayIcon /d 'C:\drelbin tests\decoy\TARNVEX.exe,0'
# shellcheck disable=SC1003 # the text ends in a backslash
wine_reg_add 'HKCU\SOFTWARE\VB and VBA Program Settings\TARNVEX V1.0a\Settings' \
  /v CommonDataPath /d 'C:\drelbin tests\表\'
