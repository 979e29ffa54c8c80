#!/usr/bin/env bash
# Installs the glTF validator (npm package gltf-validator) into tools/gltf-validator, once.
# tools/validate_gltf.js runs it with Node.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
prefix="$root/tools/gltf-validator"
if [ -f "$prefix/node_modules/gltf-validator/package.json" ]; then
  exit 0
fi
if ! command -v npm >/dev/null 2>&1; then
  echo "setup_validator.sh: npm is missing; run scripts/setup.sh first" >&2
  exit 1
fi
echo "Installing gltf-validator into $prefix"
npm install --prefix "$prefix" --no-audit --no-fund --no-save gltf-validator@2.0.0-dev.3.10
