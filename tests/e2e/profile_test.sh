# zorvo-dump takes its display options from the profile the viewer would
# choose, an explicit INI file or a named setup; its own options override
# them. The stores keep what the program writes where others can read it.
. "$(dirname "$0")/lib.sh"
opt() { grep "^$1=" | cut -d= -f2 | tr -d '\r'; }

# No profile anywhere: the defaults.
dump --show-options >out.txt
[ "$(opt Options0 <out.txt)" = 544 ] && [ "$(opt Options1 <out.txt)" = 3 ] &&
  [ "$(opt Options2 <out.txt)" = 1 ] && [ "$(opt MaxLineLength <out.txt)" = 4096 ] ||
  fail "defaults: $(cat out.txt)"

# An explicit INI file, a setup in it, and overrides.
printf '[Tessary]\r\nFormat=1\r\nMaxLineLength=80\r\nCharCode=2\r\n[Setup: narrow]\r\nSaveOptions=1\r\nMaxLineLength=40\r\nTabLength=4\r\n' >p.ini
dump --profile p.ini --show-options >out.txt
[ "$(opt Format <out.txt)" = 1 ] && [ "$(opt MaxLineLength <out.txt)" = 80 ] &&
  [ "$(opt CharCode <out.txt)" = 2 ] && [ "$(opt CurrentOptions <out.txt)" = 131 ] ||
  fail "INI profile: $(cat out.txt)"
dump --profile p.ini --setup narrow --show-options >out.txt
[ "$(opt MaxLineLength <out.txt)" = 40 ] && [ "$(opt TabLength <out.txt)" = 4 ] &&
  [ "$(opt Format <out.txt)" = 0 ] || fail "setup: $(cat out.txt)"
dump --profile p.ini --format raw --code ansi --length 10 --show-options >out.txt
[ "$(opt Format <out.txt)" = 2 ] && [ "$(opt MaxLineLength <out.txt)" = 10 ] &&
  [ "$(opt CurrentOptions <out.txt)" = 1 ] || fail "overrides: $(cat out.txt)"
# The options act on the output: hex at line length 80 from the profile.
printf 'ABCDEFGHIJKLMNOPQRST' >f.txt
[ "$(dump --profile p.ini --code ansi f.txt | head -1)" = \
  "00000000  41424344 45464748 494A4B4C 4D4E4F50  ABCDEFGHIJKLMNOP" ] || fail "hex from profile"

# The profile beside the program is used only when it opts in.
mkdir -p prog && cp "$NATIVE_BIN/zorvo-dump" prog/
printf '[Zorvo Setup]\nMasterProfile=2\n[Tessary]\nMaxLineLength=99\n' >prog/ZORVO.INI
[ "$(prog/zorvo-dump --show-options | opt MaxLineLength)" = 4096 ] || fail "MasterProfile=2 used"
printf '[Zorvo Setup]\nMasterProfile=1\n[Tessary]\nMaxLineLength=99\n' >prog/ZORVO.INI
[ "$(prog/zorvo-dump --show-options | opt MaxLineLength)" = 99 ] || fail "MasterProfile=1 ignored"

# Otherwise the per-user store: what the store writes is a folder per
# section and a file per key.
"$NATIVE_BIN/profile_probe" user set Tessary MaxLineLength 123
[ "$(cat "$XDG_CONFIG_HOME/Korrin/Zorvo/Tessary/MaxLineLength")" = 123 ] || fail "user store layout"
[ "$(dump --show-options | opt MaxLineLength)" = 123 ] || fail "user store not read"
"$NATIVE_BIN/profile_probe" ini w.ini set "Setup: a" Key "Välue"
grep -q '^\[Setup: a\]' w.ini && grep -q '^Key=Välue' w.ini || fail "INI file layout: $(cat w.ini)"

# Under Wine: the registry holds REG_SZ text, the INI file the lines, and
# zorvo-dump.exe reads both the way the native tool does. Every Wine call's
# own result is checked: its output is taken first, then compared.
probe_exe() { "$WINE_RUN" "$MINGW_BIN/profile_probe.exe" "$@" | tr -d '\r'; }
reg() { "$WINE_RUN" reg "$@" | tr -d '\r'; }
probe_exe user 'Software\Korrin\ZorvoE2E' set 'Setup: b' Width 77
got=$(reg query 'HKCU\Software\Korrin\ZorvoE2E\Setup: b' /v Width)
grep -qE 'Width +REG_SZ +77$' <<<"$got" || fail "registry value: $got"
reg add 'HKCU\Software\Korrin\ZorvoE2E\Tessary' /v Font /t REG_SZ /d 'Lucida Console,12' /f >/dev/null
got=$(probe_exe user 'Software\Korrin\ZorvoE2E' get Tessary Font)
[ "$got" = "Lucida Console,12" ] || fail "a value written by reg is not read: $got"
reg add 'HKCU\Software\Korrin\ZorvoE2E\Tessary' /v Number /t REG_DWORD /d 5 /f >/dev/null
got=$(probe_exe user 'Software\Korrin\ZorvoE2E' get Tessary Number)
[ "$got" = "<missing>" ] || fail "a value that is not text is read: $got"
# The section's unnamed default value is no key of it.
reg add 'HKCU\Software\Korrin\ZorvoE2E\Tessary' /ve /t REG_SZ /d x /f >/dev/null
got=$(probe_exe user 'Software\Korrin\ZorvoE2E' keys Tessary | sort | tr '\n' ,)
[ "$got" = "Font,Number," ] || fail "keys of the section: $got"
reg delete 'HKCU\Software\Korrin\ZorvoE2E' /f >/dev/null
probe_exe ini "Z:$PWD/win.ini" set 'Zorvo Colors' MessageBgnd 16711680
tr -d '\r' <win.ini | grep -q '^MessageBgnd=16711680' || fail "Windows INI layout: $(cat win.ini)"

mkdir -p wprog && cp "$MINGW_BIN/zorvo-dump.exe" wprog/
printf '[Zorvo Setup]\r\nMasterProfile=1\r\n[Tessary]\r\nMaxLineLength=98\r\n' >wprog/ZORVO.INI
got=$("$WINE_RUN" wprog/zorvo-dump.exe --show-options | opt MaxLineLength)
[ "$got" = 98 ] || fail "zorvo-dump.exe ignores its ZORVO.INI ($got)"
rm wprog/ZORVO.INI
reg add 'HKCU\Software\Korrin\Zorvo\Tessary' /v MaxLineLength /t REG_SZ /d 97 /f >/dev/null
got=$("$WINE_RUN" wprog/zorvo-dump.exe --show-options | opt MaxLineLength)
reg delete 'HKCU\Software\Korrin\Zorvo' /f >/dev/null
[ "$got" = 97 ] || fail "zorvo-dump.exe ignores the registry ($got)"
