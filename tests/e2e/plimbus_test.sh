# Plimbus.dll registered with the real regsvr32 and read back with reg; the
# class used as the file manager uses it (plimbus_host.exe, with a stand-in
# for the viewer); then unregistered.
. "$(dirname "$0")/lib.sh"
reg() { "$WINE_RUN" reg "$@" 2>/dev/null | tr -d '\r'; }
regsvr() { "$WINE_RUN" regsvr32 /s "$@" "Z:$MINGW_BIN/Plimbus.dll" || fail "regsvr32 $*"; }
CLSID='{5C8DABC4-0937-4662-9ED9-A5F99D2E9977}'
APPID='{5F9C3A32-130B-4128-9615-B7184DB31E83}'
LIBID='{988E318B-1E4D-47AB-956F-32E1C12175F8}'
DESC='Tessalin Shell Context Menu Handler'
MODULE="Z:${MINGW_BIN//\//\\}\\Plimbus.dll"
HK=HKEY_CLASSES_ROOT
OURS=("HKCR\\AppID\\$APPID" 'HKCR\AppID\Plimbus.DLL' 'HKCR\Plimbus.QdContextMenu.1'
      'HKCR\Plimbus.QdContextMenu' "HKCR\\CLSID\\$CLSID" 'HKCR\*\shellex\ContextMenuHandlers'
      'HKCR\*\shell' "HKCR\\TypeLib\\$LIBID")

# Whatever happens, the library leaves the prefix unregistered, so that no
# later test finds the handler of a failed run.
trap '"$WINE_RUN" regsvr32 /s /u "Z:$MINGW_BIN/Plimbus.dll" >/dev/null 2>&1 || true
  "$WINE_RUN" reg delete "HKCR\*\shell\Zorvo" /f >/dev/null 2>&1 || true' EXIT

# Every key below the given keys and every value, one line each: the key, or
# the key, the value's name, its type and its data separated by "|". (A key
# asked for by name is listed only when it holds values.)
# A query that fails other than for a missing key (a Wine process that did
# not start) is tried again, and fails the test the third time.
query() {
  local n
  for n in 1 2 3; do
    if "$WINE_RUN" reg query "$1" /s >query.txt 2>query.err; then
      tr -d '\r' <query.txt
      return 0
    fi
    grep -q "Unable to find" query.txt query.err && return 0
  done
  fail "reg query $1: $(cat query.err)"
}
snapshot() {
  for key in "$@"; do query "$key"; done | awk '
    /^HKEY_/ { key = $0; print key; next }
    /^    [^ ]/ { sub(/^    /, ""); split($0, f, /    /); print key "|" f[1] "|" f[2] "|" f[3] }'
}

# A leftover verb of earlier versions; registering twice, with stray keys
# planted below the class key and the handler key in between.
reg add 'HKCR\*\shell\Zorvo\command' /ve /d 'zorvo.exe "%1"' /f >/dev/null
regsvr
reg add "HKCR\\CLSID\\$CLSID\\Stray" /f >/dev/null
reg add 'HKCR\*\shellex\ContextMenuHandlers\QdContextMenu\Stray' /f >/dev/null
regsvr
snapshot "${OURS[@]}" >registered.txt
cat >expected.txt <<END
$HK\\AppID\\$APPID
$HK\\AppID\\$APPID|(Default)|REG_SZ|Plimbus
$HK\\AppID\\Plimbus.DLL
$HK\\AppID\\Plimbus.DLL|AppID|REG_SZ|$APPID
$HK\\Plimbus.QdContextMenu.1
$HK\\Plimbus.QdContextMenu.1|(Default)|REG_SZ|$DESC
$HK\\Plimbus.QdContextMenu.1\\CLSID
$HK\\Plimbus.QdContextMenu.1\\CLSID|(Default)|REG_SZ|$CLSID
$HK\\Plimbus.QdContextMenu
$HK\\Plimbus.QdContextMenu|(Default)|REG_SZ|$DESC
$HK\\Plimbus.QdContextMenu\\CLSID
$HK\\Plimbus.QdContextMenu\\CLSID|(Default)|REG_SZ|$CLSID
$HK\\Plimbus.QdContextMenu\\CurVer
$HK\\Plimbus.QdContextMenu\\CurVer|(Default)|REG_SZ|Plimbus.QdContextMenu.1
$HK\\CLSID\\$CLSID
$HK\\CLSID\\$CLSID|(Default)|REG_SZ|$DESC
$HK\\CLSID\\$CLSID|AppID|REG_SZ|$APPID
$HK\\CLSID\\$CLSID\\InprocServer32
$HK\\CLSID\\$CLSID\\InprocServer32|(Default)|REG_SZ|$MODULE
$HK\\CLSID\\$CLSID\\InprocServer32|ThreadingModel|REG_SZ|Both
$HK\\CLSID\\$CLSID\\ProgID
$HK\\CLSID\\$CLSID\\ProgID|(Default)|REG_SZ|Plimbus.QdContextMenu.1
$HK\\CLSID\\$CLSID\\TypeLib
$HK\\CLSID\\$CLSID\\TypeLib|(Default)|REG_SZ|$LIBID
$HK\\CLSID\\$CLSID\\VersionIndependentProgID
$HK\\CLSID\\$CLSID\\VersionIndependentProgID|(Default)|REG_SZ|Plimbus.QdContextMenu
$HK\\*\\shellex\\ContextMenuHandlers\\QdContextMenu
$HK\\*\\shellex\\ContextMenuHandlers\\QdContextMenu|(Default)|REG_SZ|$CLSID
$HK\\TypeLib\\$LIBID\\1.0
$HK\\TypeLib\\$LIBID\\1.0|(Default)|REG_SZ|Plimbus 1.0 Type Library
$HK\\TypeLib\\$LIBID\\1.0\\409
$HK\\TypeLib\\$LIBID\\1.0\\409\\win64
END
# Exactly these keys and values, so the stray keys and the old verb are gone;
# of the type library's keys only those named (their paths are the system's).
grep -v -e '\\\(FLAGS\|HELPDIR\)\(|.*\)\?$' -e '\\win64|' registered.txt | sort >got.txt
diff <(sort expected.txt) got.txt >diff.txt || fail "registry after registering twice:$(echo; cat diff.txt)"
grep -q "^$HK\\\\TypeLib\\\\$LIBID\\\\1.0\\\\409\\\\win64|(Default)|REG_SZ|.*\\\\Plimbus.dll$" registered.txt ||
  fail "type library path: $(grep win64 registered.txt)"

# The class as the file manager uses it, all cases in one process: with the
# stand-in, then with the built viewer.
mkdir -p bin
cp "$MINGW_BIN/plimbus_host.exe" "$MINGW_BIN/viewer_standin.exe" bin/
cp "$MINGW_BIN/viewer_standin.exe" bin/Zorvo.exe
ZORVO_REAL_VIEWER="Z:${MINGW_BIN//\//\\}\\Zorvo.exe" "$WINE_RUN" bin/plimbus_host.exe --gtest_brief=1 ||
  fail "plimbus_host.exe"

# Unregistering removes our keys and leaves the shared ones; the old verb
# stays removed.
regsvr /u
snapshot "${OURS[@]}" >unregistered.txt
[ ! -s unregistered.txt ] || fail "after unregistering:$(echo; cat unregistered.txt)"
for key in 'HKCR\*\shellex\ContextMenuHandlers' 'HKCR\*\shell' 'HKCR\CLSID' 'HKCR\AppID'; do
  reg query "$key" /ve >/dev/null || fail "$key was removed"
done
