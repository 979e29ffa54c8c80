#!/usr/bin/env node
// Validates glTF files with the Khronos glTF validator (installed into tools/gltf-validator by
// scripts/setup_validator.sh). Arguments: files, or folders searched for *.gltf and *.glb.
// Prints one line per file (errors, warnings) and every error in full; exits 1 when any file
// has an error or cannot be read, 2 when no file was found or the validator is missing.
'use strict';

const fs = require('fs');
const path = require('path');

let validator;
try {
  validator = require(path.join(__dirname, 'gltf-validator', 'node_modules', 'gltf-validator'));
} catch (error) {
  console.error('validate_gltf: the validator is not installed (run scripts/setup_validator.sh)');
  process.exit(2);
}

function collect(target, found) {
  const stat = fs.statSync(target, {throwIfNoEntry: false});
  if (!stat) {
    console.error(`validate_gltf: ${target}: no such file or folder`);
    found.missing = true;
  } else if (stat.isDirectory()) {
    for (const entry of fs.readdirSync(target).sort()) collect(path.join(target, entry), found);
  } else if (/\.(gltf|glb)$/i.test(target)) {
    found.files.push(target);
  }
}

function readResource(file, uri) {
  return new Promise((resolve, reject) => {
    fs.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri)), (error, data) => {
      if (error) reject(error.toString());
      else resolve(new Uint8Array(data));
    });
  });
}

async function validate(file) {
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    maxIssues: 0,
    writeTimestamp: false,
    externalResourceFunction: (uri) => readResource(file, uri),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
              `${issues.numInfos} infos, ${issues.numHints} hints`);
  for (const message of issues.messages) {
    if (message.severity === 0 || process.env.VALIDATE_GLTF_VERBOSE) {
      const where = message.pointer ? ` at ${message.pointer}` : '';
      console.log(`  [${message.severity}] ${message.code}${where}: ${message.message}`);
    }
  }
  return issues.numErrors;
}

async function main() {
  const found = {files: [], missing: false};
  for (const target of process.argv.slice(2)) collect(target, found);
  if (found.files.length === 0) {
    console.error('validate_gltf: no glTF file found');
    return 2;
  }
  let failed = found.missing;
  for (const file of found.files) {
    try {
      if ((await validate(file)) > 0) failed = true;
    } catch (error) {
      console.log(`${file}: not validated: ${error}`);
      failed = true;
    }
  }
  return failed ? 1 : 0;
}

main().then((code) => process.exit(code));
