#!/usr/bin/env python3
"""Checks that the product's folders point one way.

The layers, from the ground up, are listed below (docs/ARCHITECTURE.md says
why). A file may include headers of its own folder and of folders below it;
a header of a folder above its own, or of a folder beside it on the same
level, is a fault. Each folder's CMake library may link only libraries of
folders below it. Prints every fault and exits 1 when there is one.
"""
import pathlib
import re
import sys

# Each level's folders; a folder sees every folder of the levels before its own.
LEVELS = [
    ["platform", "record_text"],
    ["common"],
    ["bridge"],
    ["material", "light", "services"],
    ["model_export"],
    ["renderer_link"],
    ["plugin"],
]
# The library each folder builds.
LIBRARIES = {
    "platform": "orvex_platform", "record_text": "orvex_record_text", "common": "orvex_common",
    "bridge": "orvex_bridge", "material": "orvex_material", "light": "orvex_light",
    "services": "orvex_services", "model_export": "orvex_model_export",
    "renderer_link": "orvex_renderer_link", "plugin": "orvex_plugin_core",
}

LEVEL_OF = {folder: i for i, level in enumerate(LEVELS) for folder in level}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def allowed(user, used):
    return used == user or LEVEL_OF[used] < LEVEL_OF[user]


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    faults = []
    for folder in LEVEL_OF:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".c"):
                continue
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if match and match.group(1) in LEVEL_OF and not allowed(folder, match.group(1)):
                    faults.append(f"{path.relative_to(root)}:{number}: includes "
                                  f"{match.group(1)}/, which is not below {folder}/")
        cmake = root / folder / "CMakeLists.txt"
        text = cmake.read_text(encoding="utf-8") if cmake.exists() else ""
        for link in re.findall(r"target_link_libraries\(([^)]*)\)", text):
            for library in link.split():
                for other, name in LIBRARIES.items():
                    if library == name and not allowed(folder, other):
                        faults.append(f"{cmake.relative_to(root)}: links {name}, "
                                      f"which is not below {folder}/")
    for fault in faults:
        print(fault, file=sys.stderr)
    if not faults:
        print(f"layers: {sum(len(level) for level in LEVELS)} folders, every include and "
              "link points down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
