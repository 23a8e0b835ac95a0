// Checks both forms of the GNOME Shell extension where no shell of their kind runs: each file
// parses as its shell loads it (a script for 43 and 44, a module for 45 and later), the bridge
// gives createBridge in both, and each form claims only the shells that load it that way.
// Usage: node check_extension.mjs LEGACY_DIR MODULE_DIR
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import {copyFileSync, mkdtempSync, readFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {pathToFileURL} from 'node:url';
import vm from 'node:vm';

const [legacy, modules] = process.argv.slice(2);
const scratch = mkdtempSync(join(tmpdir(), 'tovra-extension-'));

function shellVersions(directory) {
    return JSON.parse(readFileSync(join(directory, 'metadata.json'), 'utf8'))['shell-version'];
}

// Legacy: plain scripts, the bridge's createBridge a global of its own script.
for (const file of ['extension.js', 'bridge.js'])
    new vm.Script(readFileSync(join(legacy, file), 'utf8'), {filename: file});
const context = {};
vm.runInNewContext(readFileSync(join(legacy, 'bridge.js'), 'utf8'), context);
assert.equal(typeof context.createBridge, 'function', 'the legacy bridge defines createBridge');
assert.deepEqual(shellVersions(legacy), ['43', '44']);

// Modules: parsed as modules, the bridge imported for real (it imports nothing of the shell).
for (const file of ['extension.js', 'bridge.js']) {
    const copy = join(scratch, file.replace(/\.js$/, '.mjs'));
    copyFileSync(join(modules, file), copy);
    const check = spawnSync(process.execPath, ['--check', copy], {encoding: 'utf8'});
    assert.equal(check.status, 0, `${file} parses as a module: ${check.stderr}`);
}
const bridge = await import(pathToFileURL(join(scratch, 'bridge.mjs')).href);
assert.equal(typeof bridge.createBridge, 'function', 'the module bridge exports createBridge');

// What the module entry takes from the shell exists from 45 on under these names.
const entry = readFileSync(join(modules, 'extension.js'), 'utf8');
const imports = [...entry.matchAll(/^import .* from '([^']+)';$/gm)].map(m => m[1]);
for (const source of imports) {
    assert.ok(/^gi:\/\/(Clutter|Gio|GLib|Meta|Shell)$/.test(source) ||
              ['resource:///org/gnome/shell/ui/main.js',
               'resource:///org/gnome/shell/extensions/extension.js', './bridge.js'].includes(source),
              `unexpected import ${source}`);
}
assert.ok(imports.includes('./bridge.js'), 'the module entry imports the bridge');
assert.match(entry, /export default class \w+ extends Extension/);
assert.ok(shellVersions(modules).every(v => Number(v) >= 45), 'modules claim 45 and later only');
console.log(`both forms check: ${imports.length} imports`);
