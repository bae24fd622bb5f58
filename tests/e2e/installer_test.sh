# Zorvo-setup.exe in a fresh Wine prefix of its own: a silent install puts
# the programs, the Start-menu entries and the registry entries in place, the
# registered extension then starts the installed viewer on a file, and a
# silent uninstall takes away all of it but the user's settings and files.
. "$(dirname "$0")/lib.sh"
setup=$MINGW_BIN/Zorvo-setup.exe
[ -f "$setup" ] || fail "Zorvo-setup.exe is not built (makensis: Debian package nsis)"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
prefix=$ROOT/build/installer-wineprefix
rm -rf "$prefix" "$prefix.lock"
export ZORVO_WINEPREFIX=$prefix
# No menu entries of the desktop outside the prefix.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
settle() { WINEPREFIX=$prefix timeout 60 wineserver -w || fail "Wine did not end"; }
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT

# The keys and values of a registry file of the prefix (system.reg or
# user.reg), as "KEY|NAME|DATA" lines, KEY without its root, for each key
# whose name matches the pattern.
registry() {  # registry FILE PATTERN
  python3 - "$prefix/$1" "$2" <<'PY'
import re, sys
key = None
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    line = line.rstrip("\n")
    m = re.match(r"^\[(.*)\] \d+", line)
    if m:
        key = m.group(1).replace("\\\\", "\\")
        if re.search(sys.argv[2], key, re.I):
            print(key)
        continue
    m = re.match(r'^("(?:[^"\\]|\\.)*"|@)=(?:str\(2\):)?"((?:[^"\\]|\\.)*)"$', line)
    if key and m and re.search(sys.argv[2], key, re.I):
        name = "@" if m.group(1) == "@" else m.group(1)[1:-1]
        print("%s|%s|%s" % (key, name, m.group(2).replace("\\\\", "\\").replace('\\"', '"')))
PY
}
OURS='Korrin|Plimbus|QdContextMenu|5C8DABC4-0937|988E318B-1E4D|5F9C3A32-130B|Uninstall\\Zorvo'
folder="$prefix/drive_c/Program Files/Korrin/Zorvo"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zorvo"
installed='C:\Program Files\Korrin\Zorvo'

# The user's settings from before: an option, a setup of their own in the
# list, and the entry's text.
cat >user.reg <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Tessary]
"MaxLineLength"="123"

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Setup List]
"Setup1"="Daily"

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Setup: Daily]
"SaveOptions"="256"

[HKEY_CURRENT_USER\Software\Korrin\Plimbus]
"MenuText"="&Look in Zorvo"
REG
"$WINE_RUN" reg import "$(echo "Z:$PWD/user.reg" | tr / '\\')" || fail "reg import"
"$WINE_RUN" "$setup" /S || fail "silent install: exit $?"
settle

# Installed: the five files (the same as built) and the uninstaller, two
# Start-menu entries, the viewer's path, the extension and the uninstall entry.
[ "$(ls "$folder" | tr '\n' ' ')" = "Plimbus.dll Uninstall.exe Vantric.exe Zorvo.exe Zorvo.htm zorvo-dde.exe " ] ||
  fail "installed files: $(ls "$folder")"
for f in Zorvo.exe Plimbus.dll Vantric.exe zorvo-dde.exe; do
  cmp -s "$folder/$f" "$MINGW_BIN/$f" || fail "$f differs from the one built"
done
cmp -s "$folder/Zorvo.htm" "$ROOT/viewer/resources/Zorvo.htm" || fail "Zorvo.htm differs"
[ "$(ls "$menu" | tr '\n' ' ')" = "Configure Zorvo Context Menu.lnk Zorvo.lnk " ] ||
  fail "Start menu: $(ls "$menu")"
registry system.reg "$OURS" >installed.txt
for line in \
  "Software\\Korrin\\Zorvo|Path|$installed\\Zorvo.exe" \
  "Software\\Classes\\CLSID\\{5C8DABC4-0937-4662-9ED9-A5F99D2E9977}\\InprocServer32|@|$installed\\Plimbus.dll" \
  "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\QdContextMenu|@|{5C8DABC4-0937-4662-9ED9-A5F99D2E9977}" \
  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvo|DisplayName|Zorvo" \
  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvo|UninstallString|\"$installed\\Uninstall.exe\""; do
  grep -qxF "$line" installed.txt || fail "not in the registry: $line$(echo; cat installed.txt)"
done
# The example setup joins the user's list; their own settings are untouched.
registry user.reg 'Korrin' >user-installed.txt
for line in 'Software\Korrin\Zorvo\Setup List|Setup1|Daily' 'Software\Korrin\Zorvo\Setup List|Setup2|Listing' \
  'Software\Korrin\Zorvo\Setup: Listing|CCChar|1' 'Software\Korrin\Zorvo\Tessary|MaxLineLength|123'; do
  grep -qxF "$line" user-installed.txt || fail "user settings: no $line$(echo; cat user-installed.txt)"
done

# The file manager's use of the extension: the user's entry text, and the
# viewer found through the machine-wide path, started and showing the file.
host_as_configured ZORVO_EXPECT_ENTRY='&Look in Zorvo' ZORVO_EXPECT_VIEWER="$installed\\Zorvo.exe" ||
  fail "the installed extension with the installed viewer"

# --- Installing and uninstalling while programs use the installation ---
# Wine hands a program's exit code to Linux modulo 256: "restart needed",
# 3010, arrives as 194.
restart_needed=194
# Runs the uninstaller as its launcher does, from a copy outside the folder,
# so that its own exit code comes back (the launcher's is always 0).
uninstall() {
  cp "$folder/Uninstall.exe" uninstall-copy.exe
  # It knows its folder only from an unquoted "_?=" at the end of the
  # command line, which cmd passes on as written.
  "$WINE_RUN" cmd /c "$(win uninstall-copy.exe) /S _?=$installed"
}
# The files that Windows deletes at its next restart, one a line.
pending() {
  local value
  # No value at all when nothing is to be deleted.
  value=$("$WINE_RUN" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null) || return 0
  printf '%s\n' "$value" | tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p' |
    sed 's/\\0/\n/g' | sed -e '/^$/d' -e 's/^\\??\\//'
}
# Starts a program that keeps the registered Plimbus.dll loaded, as a file
# manager does, and waits until it has it; stopped by touching stop-NAME.
holders=()
hold_extension() {  # hold_extension NAME
  "$WINE_RUN" "$MINGW_BIN/extension_holder.exe" "$(win "ready-$1")" "$(win "stop-$1")" &
  holders+=($!)
  wait_for 60 test -s "ready-$1" || fail "extension_holder $1 never loaded Plimbus.dll"
}
expect_exit() {  # expect_exit CODE WHAT COMMAND...
  local code=$1 what=$2 status=0
  shift 2
  "$@" || status=$?
  [ "$status" = "$code" ] || fail "$what: exit $status, expected $code"
}

# A running viewer: the uninstaller and the installer ask for it to be
# closed first (a silent run gives up) and change nothing.
echo "running" >running.txt
"$WINE_RUN" "$installed\\Zorvo.exe" "$(win running.txt)" &
viewer_pid=$!
wait_for 60 has_viewer_window '^running\.txt - Tessary$' || fail "the installed viewer did not show running.txt"
before=$(cd "$folder" && ls -l --time-style=+%s.%N)
expect_exit 2 "silent uninstall beside a running viewer" uninstall
expect_exit 2 "silent install beside a running viewer" "$WINE_RUN" "$setup" /S
[ "$(cd "$folder" && ls -l --time-style=+%s.%N)" = "$before" ] ||
  fail "the program folder changed while the viewer ran:$(echo; cd "$folder" && ls -l)"
"$WINE_RUN" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvo' >/dev/null ||
  fail "the uninstall entry went while the viewer ran"
viewer_stop
settle

# Installed over a Plimbus.dll in use: the old one is moved aside and goes at
# the restart, the new one is in place now, and a restart is asked for.
hold_extension a
old_dll=$(stat -c %i "$folder/Plimbus.dll")
expect_exit $restart_needed "silent install over a Plimbus.dll in use" "$WINE_RUN" "$setup" /S
cmp -s "$folder/Plimbus.dll" "$MINGW_BIN/Plimbus.dll" || fail "the new Plimbus.dll is not in place"
[ "$(stat -c %i "$folder/Plimbus.dll.old")" = "$old_dll" ] || fail "the library in use was not moved aside"
[ "$(pending)" = "$installed\\Plimbus.dll.old" ] || fail "deleted at the restart: $(pending)"

# Uninstalled while the new one is in use too: both go at the restart, and
# the folder after them when nothing else is in it then.
hold_extension b
echo "mine" >"$folder/notes.txt"
expect_exit $restart_needed "silent uninstall with Plimbus.dll in use" uninstall
[ "$(ls "$folder" | tr '\n' ' ')" = "Plimbus.dll.old Plimbus.dll.old2 notes.txt " ] ||
  fail "left after uninstalling with Plimbus.dll in use: $(ls "$folder")"
[ "$(pending | tr '\n' '|')" = "$installed\\Plimbus.dll.old|$installed\\Plimbus.dll.old2|$installed\\|" ] ||
  fail "deleted at the restart: $(pending)"

# Installed again before that restart: the new Plimbus.dll survives it.
expect_exit 0 "silent install before the restart" "$WINE_RUN" "$setup" /S
touch stop-a stop-b
for pid in "${holders[@]}"; do
  wait "$pid" || fail "extension_holder ended with exit $?"
done
settle
"$WINE_RUN" wineboot -r || fail "wineboot -r (a restart of the prefix)"
settle
[ "$(ls "$folder" | tr '\n' ' ')" = "Plimbus.dll Uninstall.exe Vantric.exe Zorvo.exe Zorvo.htm notes.txt zorvo-dde.exe " ] ||
  fail "after the restart: $(ls "$folder")"
cmp -s "$folder/Plimbus.dll" "$MINGW_BIN/Plimbus.dll" || fail "the restart took the reinstalled Plimbus.dll"
[ -z "$(pending)" ] || fail "still to delete after the restart: $(pending)"
host_as_configured ZORVO_EXPECT_ENTRY='&Look in Zorvo' ZORVO_EXPECT_VIEWER="$installed\\Zorvo.exe" ||
  fail "the extension after installing over one in use and restarting"

# A file of the user's in the program folder stays, and so does the folder.
expect_exit 0 "silent uninstall" uninstall
settle
[ "$(ls "$folder")" = notes.txt ] || fail "left in the program folder: $(ls "$folder")"
[ ! -e "$menu" ] || fail "the Start-menu folder is left: $(ls "$menu")"
registry system.reg "$OURS" >uninstalled.txt
[ ! -s uninstalled.txt ] || fail "left in the registry:$(echo; cat uninstalled.txt)"
registry user.reg 'Korrin' >user-uninstalled.txt
grep -v '|MRU\|\\MRU' user-uninstalled.txt | diff <(grep -v '|MRU\|\\MRU' user-installed.txt) - ||
  fail "the user's settings changed"
rm -rf "$prefix"
