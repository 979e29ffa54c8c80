#!/usr/bin/env bash
# The demo: builds only what it runs (the host, the plug-in and the two stand-ins),
# then runs the headless host on a document: the bundled example, or FILE (any
# document the host opens, a .3dm file saved by the CAD application among them).
#   scripts/demo.sh [--picture] [FILE]
# --picture also renders what the renderer holds to demo-out/model.png with f3d (a VTK glTF
# viewer, offscreen under xvfb; installed by scripts/setup.sh viewer). The host links to
# the bridge stand-in (which plays the renderer), asks once for the renderer
# folder (answered with a folder that holds OrvexRender), starts the link, sends
# the model, lights and scenes, moves the camera and stops. Everything the
# renderer received is written to demo-out/ (call log, transcript), and what it
# holds at the end as glTF 2.0 (model.gltf with its buffer and textures,
# lights.xml, scenes.json, camera.json).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
doc="$root/examples/house.orvexdoc.json"
# The example hides its chair before the model update; another document is sent again as it is.
edit=("Hide chair")
picture=0
if [[ "${1:-}" = --picture ]]; then
  picture=1
  shift
fi
if [[ $# -gt 0 ]]; then
  [[ -e "$1" ]] || { echo "demo.sh: $1: no such file" >&2; exit 2; }
  doc="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  edit=()
fi
"$root/scripts/setup.sh" demo
"$root/scripts/build.sh" demo >/dev/null
out="$root/demo-out"
rm -rf "$out"
mkdir -p "$out/renderer"
touch "$out/renderer/OrvexRender"
# Start from no stored renderer folder, so the first Start asks for it.
rm -f "$root/build/rhino/orvex_render_folder.strings"
export ORVEX_BRIDGE_LOG="$out/bridge-calls.jsonl"
export ORVEX_BRIDGE_OUT="$out"
export XDG_CONFIG_HOME="$out/config"
# No outside services in the demo: both point at a closed local port.
export ORVEX_UPDATE_URL="https://127.0.0.1:9"
export ORVEX_ANALYTICS_HOST="127.0.0.1:9"
# From the repository's folder: the example document names its texture relative to it.
cd "$root"
"$root/build/bin/orvex-host" \
  --doc "$doc" \
  --answer ok --folder "$out/renderer" \
  --transcript "$out/transcript.jsonl" \
  OrvexConverterStart OrvexConverterStart OrvexConverterStart \
  OrvexConverterSendLights OrvexConverterSendScenes \
  "Orbit 30" "Wait 200" \
  "${edit[@]}" OrvexConverterSendModel \
  OrvexConverterStop
echo
echo "Bridge calls, in order (from $ORVEX_BRIDGE_LOG):"
python3 - "$ORVEX_BRIDGE_LOG" <<'PY'
import json, sys
for line in open(sys.argv[1]):
    call = json.loads(line)
    args = {k: v for k, v in call.items() if k not in ("fn", "seq", "thread", "ms")}
    brief = ", ".join(f"{k}={(str(v)[:60] + '...') if len(str(v)) > 60 else v}" for k, v in args.items())
    print(f"  #{call['seq']:<3} thread {call['thread']}  {call['fn']}({brief})")
PY
echo
echo "Transcript: $out/transcript.jsonl"
# What the renderer holds at the end, as glTF 2.0 (open it in any glTF viewer), in one line.
echo
echo "glTF of what the renderer holds: $out/model.gltf"
python3 - "$out/model.gltf" <<'PY'
import json, sys
gltf = json.load(open(sys.argv[1]))
nodes = gltf.get("nodes", [])
model = next((n for n in nodes if n.get("name") == "model"), {})
meshes = {n["extras"]["mesh"] for n in nodes if "mesh" in n and "mesh" in n.get("extras", {})}
triangles = sum(gltf["accessors"][p["indices"]]["count"] // 3
                for n in nodes if "mesh" in n for p in gltf["meshes"][n["mesh"]]["primitives"])
lights = sum(1 for n in nodes if n.get("extras", {}).get("kind") in
             ("point", "spot", "linear", "rectangular"))
scenes = sum(1 for n in nodes if "camera" in n and "id" in n.get("extras", {}))
print(f"  {len(model.get('children', []))} elements, {len(meshes)} meshes, {triangles} triangles, "
      f"{len(gltf.get('materials', []))} materials, {lights} lights, {scenes} scenes")
PY
if [[ $picture -eq 1 ]]; then
  "$root/scripts/setup.sh" viewer
  # Lit by the viewer's own light: the example's lights are inside the house, and a viewer that
  # takes a file's lights turns its own off, which would leave the outside dark.
  python3 - "$out/model.gltf" "$out/picture.gltf" <<'PY'
import json, sys
gltf = json.load(open(sys.argv[1]))
gltf.get("extensions", {}).pop("KHR_lights_punctual", None)
gltf["extensionsUsed"] = [e for e in gltf.get("extensionsUsed", []) if e != "KHR_lights_punctual"]
for node in gltf.get("nodes", []):
    node.get("extensions", {}).pop("KHR_lights_punctual", None)
json.dump(gltf, open(sys.argv[2], "w"))
PY
  # Seen through the renderer's camera, the last of the file's cameras.
  cameras="$(python3 -c 'import json, sys; print(len(json.load(open(sys.argv[1])).get("cameras", [])))' \
    "$out/model.gltf")"
  xvfb-run -a -s "-screen 0 1024x768x24" f3d --output="$out/model.png" --resolution=1024,768 \
    --camera-index=$((cameras - 1)) "$out/picture.gltf" >"$out/f3d.log" 2>&1 ||
    { cat "$out/f3d.log" >&2; exit 1; }
  rm -f "$out/picture.gltf"
  echo "Picture of what the renderer holds (lit by the viewer): $out/model.png"
fi
