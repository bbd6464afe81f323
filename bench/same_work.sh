# The product of a benchmark as each installer gets it, sourced by install.sh and
# uninstall.sh after setting `root`: the example's install.cfg (its folders, links, INI and
# registry values, autoexec.bat lines) with a product of real files added below the install
# directory, packed by zovpack; and an NSIS installer (zlib) that does the same work, with an
# uninstaller that undoes it file by file, as NSIS uninstallers list their files.

title="Tidewater Notes 2.1"
registration="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title"

# make_medium PRODUCT: PRODUCT/medium from PRODUCT/files and PRODUCT/layout.tsv (products.py).
make_medium() {
  local p=$1 win=$root/build/win32 host=$root/build/host
  rm -rf "$p/payload" "$p/medium" && mkdir -p "$p/payload"
  cp "$win"/examples/payload/* "$p/payload/"
  ln "$p"/files/* "$p/payload/"
  cut -f2 "$p/layout.tsv" | awk -F'\\' '{ print $1; print }' | awk '!seen[$0]++' >"$p/folders"
  awk -v folders="$p/folders" -v layout="$p/layout.tsv" '
    /^\[Files - OverWrite\]/ {
      n = 10
      while ((getline line < layout) > 0) { split(line, f, "\t"); printf "File%d=%s~<SUB%s><INSTALLDIR>\n", n++, f[1], f[2] }
      print ""
    }
    /^\[Files\]/ {
      d = 8
      while ((getline line < folders) > 0) printf "Dir%d=<SUB%s><INSTALLDIR>~%s\n", d++, line, line
      print ""
    }
    /^Install Disks=/ { print "Install Disks=1"; next }
    { print }' "$root/examples/install.cfg" | tr -d '\r' >"$p/install.cfg"
  "$host/tools/zovpack/zovpack" media --cfg "$p/install.cfg" --from "$p/payload" --out "$p/medium" \
    --stub "$win/install/install.exe" --segsize 700000000 >/dev/null
}

# nsis_registry write|delete STATE: NSIS lines writing (or deleting) the registry values and
# keys that STATE (end_state of an install.exe run) shows the setup made: the product's
# values, its registration (the uninstaller named as NSIS's own) and the shared counts.
nsis_registry() {
  grep -E '^HKEY_(LOCAL_MACHINE|CURRENT_USER)\\' "$2" | grep -v '\\Software\\Wine\\' | python3 -c '
import sys
writes, deletes, keys = [], [], []
for line in sys.stdin:
    name, _, data = line.rstrip("\n").partition(" = ")
    root, _, rest = name.partition("\\")
    quoted = rest.find("\\\"")
    key, value = (rest[:quoted], rest[quoted + 1:]) if quoted >= 0 else (rest.rstrip("\\"), "")
    root = "HKLM" if root == "HKEY_LOCAL_MACHINE" else "HKCU"
    if data == "<key>":
        keys.append((root, key))
        continue
    value = value.strip("\"").replace("\\\\", "\\")
    deletes.append(f"DeleteRegValue {root} \"{key}\" \"{value}\"")
    if data.startswith("dword:"):
        writes.append(f"WriteRegDWORD {root} \"{key}\" \"{value}\" {int(data[6:], 16)}")
    elif data.startswith("\""):
        text = data[1:-1].replace("\\\"", "\"").replace("\\\\", "\\")
        if value in ("UninstallString", "QuietUninstallString"):
            text = "\"$INSTDIR\\uninst.exe\"" + (" /S" if value.startswith("Quiet") else "")
        writes.append(f"WriteRegStr {root} \"{key}\" \"{value}\" \"" + text.replace("\"", "$\\\"") + "\"")
    else:
        sys.exit(f"nsis_registry: a value of a type this script does not write: {line}")
keys.sort(key=lambda k: -k[1].count("\\"))
deletes += [f"DeleteRegKey /ifempty {root} \"{key}\"" for root, key in keys]
print("\n".join(writes if sys.argv[1] == "write" else deletes))
' "$1"
}

# make_nsis PRODUCT STATE: PRODUCT/nsis-setup.exe, from the end state of an install.exe run,
# the autoexec.bat and the INI file it left (PRODUCT/setup-autoexec.bat, setup-tidewater.ini).
make_nsis() {
  local p=$1 state=$2 f folder
  local nsi=$p/same.nsi
  {
    cat <<N
SetCompressor zlib
OutFile "nsis-setup.exe"
Name "$title"
InstallDir "\$PROGRAMFILES\\Tidewater"
RequestExecutionLevel admin
SilentInstall silent
SilentUnInstall silent
Section
SetOutPath "\$INSTDIR"
N
    for f in notes.exe notes.hlp readme.txt license.txt uninstaller.exe; do echo "File \"$p/payload/$f\""; done
    echo "File \"$p/medium/install.cfg\""
    echo "File \"$p/medium/install.exe\""
    while IFS=$'\t' read -r f folder _; do
      [ "$folder" = "${last:-}" ] || { echo "SetOutPath \"\$INSTDIR\\$folder\""; last=$folder; }
      echo "File \"$p/payload/$f\""
    done <"$p/layout.tsv"
    cat <<N
SetOutPath "\$INSTDIR\\Samples"
File "$p/payload/welcome.tnt"
SetOutPath "\$WINDIR\\System"
File "$p/payload/tidectl.dll"
SetOutPath "\$WINDIR"
File "$p/payload/tidewatr.bmp"
SetOutPath "\$PROGRAMFILES\\Tidewater Shared"
File "$p/payload/spelling.dic"
CreateDirectory "C:\\Tidewater Data"
SetOutPath "\$INSTDIR"
CreateShortCut "\$DESKTOP\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe"
CreateDirectory "\$DESKTOP\\Tidewater Notes"
CreateShortCut "\$DESKTOP\\Tidewater Notes\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe"
CreateShortCut "\$DESKTOP\\Tidewater Notes\\Read Me.lnk" "\$INSTDIR\\readme.txt"
CreateDirectory "\$SMPROGRAMS\\Tidewater Notes"
CreateShortCut "\$SMPROGRAMS\\Tidewater Notes\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe"
CreateShortCut "\$SMPROGRAMS\\Tidewater Notes\\Read Me.lnk" "\$INSTDIR\\readme.txt"
CreateShortCut "\$STARTMENU\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe"
CreateShortCut "\$STARTMENU\\Read Me.lnk" "\$INSTDIR\\readme.txt"
N
    tr -d '\r' <"$p/setup-tidewater.ini" | awk -F= '/^\[/ { section = substr($0, 2, length($0) - 2); next }
      { printf "WriteINIStr \"$WINDIR\\tidewater.ini\" \"%s\" \"%s\" \"%s\"\n", section, $1, substr($0, length($1) + 2) }'
    nsis_registry write "$state"
    cat <<N
WriteUninstaller "\$INSTDIR\\uninst.exe"
CopyFiles /SILENT "C:\\autoexec.bat" "C:\\autoexec.zov"
FileOpen \$0 "C:\\autoexec.bat" a
FileSeek \$0 0 END
N
    tail -n +2 "$p/setup-autoexec.bat" | tr -d '\r' | sed 's/\$/$$/g; s/"/$\\"/g; s/.*/FileWrite $0 "&$\\r$\\n"/'
    cat <<N
FileClose \$0
SectionEnd
Section Uninstall
N
    for f in notes.exe notes.hlp readme.txt license.txt uninstaller.exe install.cfg install.exe uninst.exe; do echo "Delete \"\$INSTDIR\\$f\""; done
    while IFS=$'\t' read -r f folder _; do echo "Delete \"\$INSTDIR\\$folder\\$f\""; done <"$p/layout.tsv"
    tac "$p/folders" | while read -r folder; do echo "RMDir \"\$INSTDIR\\$folder\""; done
    cat <<N
Delete "\$INSTDIR\\Samples\\welcome.tnt"
RMDir "\$INSTDIR\\Samples"
RMDir "\$INSTDIR"
Delete "\$WINDIR\\System\\tidectl.dll"
Delete "\$WINDIR\\tidewatr.bmp"
Delete "\$PROGRAMFILES\\Tidewater Shared\\spelling.dic"
RMDir "\$PROGRAMFILES\\Tidewater Shared"
RMDir "C:\\Tidewater Data"
Delete "\$DESKTOP\\Tidewater Notes.lnk"
Delete "\$SMPROGRAMS\\Tidewater Notes\\Tidewater Notes.lnk"
Delete "\$SMPROGRAMS\\Tidewater Notes\\Read Me.lnk"
RMDir "\$SMPROGRAMS\\Tidewater Notes"
Delete "\$STARTMENU\\Tidewater Notes.lnk"
Delete "\$STARTMENU\\Read Me.lnk"
Delete "\$DESKTOP\\Tidewater Notes\\Tidewater Notes.lnk"
Delete "\$DESKTOP\\Tidewater Notes\\Read Me.lnk"
RMDir "\$DESKTOP\\Tidewater Notes"
Delete "\$WINDIR\\tidewater.ini"
N
    nsis_registry delete "$state"
    cat <<N
Delete "C:\\autoexec.bat"
Rename "C:\\autoexec.zov" "C:\\autoexec.bat"
SectionEnd
N
  } >"$nsi"
  (cd "$p" && makensis -V1 "$nsi" >/dev/null)
}

# product_and_peer PRODUCT KIND: the product (products.py KIND), its medium, a first install
# by install.exe on a fresh machine (its writes traced into PRODUCT/ours.io), the end state
# it left (PRODUCT/ours.state), and the NSIS installer made to do the same.
product_and_peer() {
  local p=$1
  python3 "$root/bench/products.py" "$2" "$p"
  make_medium "$p"
  wine_reset
  traced ours "$p/medium" wine install.exe /S /TYPE=full /FOLDERS=desktop >"$p/ours.io"
  [ -f "$c/Program Files/Tidewater/notes.exe" ] || { echo "install.exe did not install" >&2; exit 1; }
  end_state "$p/ours.state"
  cp "$c/autoexec.bat" "$p/setup-autoexec.bat" && cp "$c/windows/tidewater.ini" "$p/setup-tidewater.ini"
  make_nsis "$p" "$p/ours.state"
}
