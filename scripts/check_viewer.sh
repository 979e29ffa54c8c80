#!/usr/bin/env bash
# What the renderer received, as a viewer shows it: the host sends the example document, and the
# engine and the plain yellow box of the assimp test models (the build of build/,
# scripts/build.sh) to the bridge stand-in, and f3d (a VTK viewer, offscreen under xvfb) renders
# the glTF it writes, and the engine's and the box's own files. Of each picture only the model's
# pixels count (f3d leaves the rest transparent). The received engine's mean brightness must be
# within 15% of the source's, the box's within 35% of its source's, and the example document
# must not be mostly dark (at most half its pixels below 15% brightness). f3d shades the FBX
# file's Phong material with its colour as it stands, a physically based one with the diffuse
# part divided by pi and the result written as sRGB: the same yellow comes out 30% darker by
# the largest channel whatever its roughness, and 51% darker as the metal it was taken for.
# The pictures and the figures are kept in build/viewer-check/.
#   scripts/check_viewer.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh" viewer
out="$root/build/viewer-check"
rm -rf "$out"
mkdir -p "$out/renderer"
touch "$out/renderer/OrvexRender"
engine=/usr/share/assimp/models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb
box=/usr/share/assimp/models/FBX/box.fbx

# send NAME DOCUMENT: the host sends the document; the bridge stand-in writes out/NAME/.
send() {
  rm -f "$root/build/rhino/orvex_render_folder.strings"
  ORVEX_BRIDGE_OUT="$out/$1" XDG_CONFIG_HOME="$out/config" \
    ORVEX_UPDATE_URL="https://127.0.0.1:9" ORVEX_ANALYTICS_HOST="127.0.0.1:9" \
    "$root/build/bin/orvex-host" --doc "$2" --answer ok --folder "$out/renderer" \
    OrvexConverterStart OrvexConverterStart OrvexConverterStop >"$out/$1.console.txt" 2>&1 || {
    echo "check_viewer: orvex-host on $2 failed:" >&2
    cat "$out/$1.console.txt" >&2
    exit 1
  }
}
# render FILE PICTURE: f3d's picture of the file, 800 x 600, the background left transparent.
render() {
  xvfb-run -a -s "-screen 0 1024x768x24" f3d --output="$2" --resolution=800,600 \
    --no-background "$1" >"$2.log" 2>&1 || {
    echo "check_viewer: f3d could not render $1:" >&2
    cat "$2.log" >&2
    exit 1
  }
}

send house examples/house.orvexdoc.json
send engine "$engine"
send box "$box"
render "$out/house/model.gltf" "$out/house.png"
render "$out/engine/model.gltf" "$out/engine.png"
render "$engine" "$out/engine-source.png"
render "$out/box/model.gltf" "$out/box.png"
render "$box" "$out/box-source.png"

# The system Python, where the Debian package puts Pillow.
/usr/bin/python3 - "$out" <<'PY'
import sys
from PIL import Image

out = sys.argv[1]

def model_pixels(name):
    image = Image.open(f"{out}/{name}.png").convert("RGBA")
    pixels = [(r, g, b) for r, g, b, a in image.getdata() if a >= 128]
    if len(pixels) < 0.02 * image.width * image.height:
        sys.exit(f"check_viewer: {name}.png shows almost nothing of the model")
    # Brightness as the largest of the three channels, so that a deep colour is not dark.
    return [max(r, g, b) / 255 for r, g, b in pixels]

def mean(values):
    return sum(values) / len(values)

failed = []
house = model_pixels("house")
dark = sum(1 for v in house if v < 0.15) / len(house)
print(f"house: mean brightness {mean(house):.3f}, {dark:.0%} of its pixels dark")
if dark > 0.5:
    failed.append("the example document is mostly dark")
for name, tolerance in (("engine", 0.15), ("box", 0.35)):
    source, received = mean(model_pixels(f"{name}-source")), mean(model_pixels(name))
    print(f"{name}: mean brightness {received:.3f}, its source {source:.3f}")
    if abs(received - source) > tolerance * source:
        failed.append(f"the {name}'s brightness is not within {tolerance:.0%} of its source's")
for reason in failed:
    print(f"check_viewer: {reason} (pictures in {out})", file=sys.stderr)
sys.exit(1 if failed else 0)
PY
