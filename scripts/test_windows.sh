#!/usr/bin/env bash
# The Windows build, run for real under wine:
# - builds the `mingw` preset (openNURBS, the SDK stand-in as rhinocore.dll, the plug-in
#   module OrvexConv.rhp, the bridge stand-in OrvexPlugin.dll with its variants,
#   orvex-host.exe and the integration tests);
# - checks that the module exports exactly the plug-in declaration functions and the
#   bridge exactly its exports;
# - runs the host under wine (a prefix of its own in a temporary folder, no display) on
#   the example document: Start with the folder chooser answered by the host, the model,
#   lights and scenes, a view change, Hide and a model update, Stop; and compares the
#   bridge calls, call for call, with the same run of the Linux build (build/), which
#   must be built already (scripts/build.sh);
# - runs the integration tests under wine through CTest.
#   scripts/test_windows.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh" windows
"$root/scripts/setup_windows_sources.sh"
"$root/scripts/build.sh" mingw >/dev/null
build="$root/build-mingw"
linux="$root/build"

# exports_of FILE: the names a Windows module exports, sorted.
exports_of() {
  x86_64-w64-mingw32-objdump -p "$1" |
    awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && /^[ \t]*\[/ {print $NF; next} on {exit}' |
    sort
}
# expect_exports FILE NAME...: the module exports exactly these names.
expect_exports() {
  local file="$1"
  shift
  local expected
  expected="$(printf '%s\n' "$@" | sort)"
  if [ "$(exports_of "$file")" != "$expected" ]; then
    echo "$(basename "$file"): the exports differ from those expected:" >&2
    diff <(echo "$expected") <(exports_of "$file") >&2 || true
    exit 1
  fi
  echo "$(basename "$file"): exports exactly the $# expected names"
}
expect_exports "$build/rhino/Plug-ins/OrvexConv/OrvexConv.rhp" \
  RhinoPlugInName RhinoPlugInId RhinoPlugInVersion RhinoPlugInDescription \
  RhinoPlugInDeveloperOrganization RhinoPlugInDeveloperAddress RhinoPlugInDeveloperCountry \
  RhinoPlugInDeveloperPhone RhinoPlugInDeveloperFax RhinoPlugInDeveloperEmail \
  RhinoPlugInDeveloperWebsite RhinoPlugInUpdateURL RhinoPlugInSdkVersion \
  RhinoPlugInSdkServiceRelease RhinoPlugInMfcVersion RhinoPlugInMscVersion RhinoPlugInUsesMfc \
  RhinoPlugInIconResourceId
expect_exports "$build/rhino/Plug-ins/OrvexConv/OrvexPlugin.dll" \
  SetOrvexRenderPath StartLinkOrvexRender SetModelFilePath Connect HasConnected DisConnect \
  CreateModel DestroyModel BeginElement EndElement DeleteElement AddMaterial AddMesh AddInstance \
  OptimizeModel StartSend SendLightsDataXml AddScene StartSendScenes SetCameraTransformFov

work="$(mktemp -d)"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
mkdir -p "$WINEPREFIX"
wineserver -p  # one server for the whole run, ended by the trap
wineboot --init >/dev/null 2>&1
# Wine's own processes (services, the desktop) start with the first program and end with the
# last one, keeping the output of the program that started them. Were a test to start them,
# CTest would wait for that test's output to close until they all end, often for minutes. A
# program of our own, silent, keeps them running from here to the end of the run.
wine ping -n 86400 127.0.0.1 >/dev/null 2>&1 &
echo "wine prefix made ($(wine --version))"

# run_host PLATFORM HOST: the demo's session on the example document, its bridge calls
# written to $work/PLATFORM/calls.jsonl.
run_host() {
  local platform="$1" host="$2" out="$work/$1"
  mkdir -p "$out/renderer" "$out/config"
  touch "$out/renderer/OrvexRender"
  local -a wrap=() folder="$out/renderer"
  if [ "$platform" = windows ]; then
    wrap=(wine)
    folder="$(winepath -w "$folder" 2>/dev/null)"
    rm -f "$build/rhino/orvex_render_folder.strings"
  else
    rm -f "$linux/rhino/orvex_render_folder.strings"
  fi
  ORVEX_BRIDGE_LOG="$out/calls.jsonl" ORVEX_BRIDGE_OUT="$out" XDG_CONFIG_HOME="$out/config" \
    ORVEX_UPDATE_URL="https://127.0.0.1:9" ORVEX_ANALYTICS_HOST="127.0.0.1:9" \
    "${wrap[@]}" "$host" --doc examples/house.orvexdoc.json --answer ok --folder "$folder" \
    --transcript "$out/transcript.jsonl" \
    OrvexConverterStart OrvexConverterStart OrvexConverterStart \
    OrvexConverterSendLights OrvexConverterSendScenes "Orbit 30" "Wait 200" \
    "Hide chair" OrvexConverterSendModel OrvexConverterStop >"$out/console.txt" 2>&1 || {
    echo "orvex-host ($platform) failed:" >&2
    cat "$out/console.txt" >&2
    exit 1
  }
}
started=$SECONDS
run_host windows "$build/bin/orvex-host.exe"
echo "the Windows host's session under wine: $((SECONDS - started)) s"
run_host linux "$linux/bin/orvex-host"

# The two call logs, call for call, without thread numbers and times; a Windows path
# (Z:\...) is compared as the Linux path it names.
python3 - "$work/linux/calls.jsonl" "$work/windows/calls.jsonl" "$work" <<'PY'
import json, re, sys
linux_log, windows_log, work = sys.argv[1:]
def unix(value):
    if isinstance(value, str) and re.match(r"^[Zz]:\\", value):
        return value[2:].replace("\\", "/")
    if isinstance(value, dict):
        return {k: unix(v) for k, v in value.items()}
    if isinstance(value, list):
        return [unix(v) for v in value]
    return value
def calls(path, platform):
    out = []
    for line in open(path, encoding="utf-8"):
        call = {k: v for k, v in json.loads(line).items() if k not in ("thread", "ms")}
        call = json.loads(json.dumps(unix(call)).replace(f"{work}/{platform}", "OUT"))
        out.append(call)
    return out
a, b = calls(linux_log, "linux"), calls(windows_log, "windows")
for i, (x, y) in enumerate(zip(a, b)):
    if x != y:
        print(f"call {i} differs:\n  Linux:   {json.dumps(x)[:400]}\n  Windows: {json.dumps(y)[:400]}")
        sys.exit(1)
if len(a) != len(b):
    print(f"{len(a)} calls on Linux, {len(b)} on Windows")
    sys.exit(1)
print(f"bridge calls: the Windows build made the same {len(a)} calls as the Linux build")
PY

# The integration tests. Wine takes the system language from LANG when a program starts,
# and the language tests set LANG themselves: no LC_ALL may override it.
started=$SECONDS
(cd "$build" && env -u LC_ALL -u LC_MESSAGES -u LC_CTYPE \
  ctest --output-on-failure -j "$(nproc)" --timeout 300)
echo "the integration tests under wine: $((SECONDS - started)) s"
