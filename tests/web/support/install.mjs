// Installs the locked packages (npm ci) unless node_modules already holds
// exactly them, so that a machine without the registry can still run the
// tests once they were installed. Never downloads a browser.
import { spawnSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const lock = JSON.parse(readFileSync(path.join(root, 'package-lock.json'), 'utf8'));

function installed(where) {
  const file = path.join(root, where, 'package.json');
  return existsSync(file) ? JSON.parse(readFileSync(file, 'utf8')).version : null;
}

const stale = Object.entries(lock.packages)
  .filter(([where]) => where.startsWith('node_modules/'))
  .filter(([where, entry]) => installed(where) !== entry.version)
  .map(([where, entry]) => `${where.slice('node_modules/'.length)}@${entry.version}`);

if (stale.length === 0) {
  console.log('web tests: the locked packages are installed');
  process.exit(0);
}
console.log(`web tests: installing ${stale.join(', ')}`);
const npm = process.env.MOCHITAMA_NPM || 'npm';
const result = spawnSync(npm, ['ci', '--no-audit', '--no-fund'], {
  cwd: root,
  stdio: 'inherit',
  env: { ...process.env, PUPPETEER_SKIP_DOWNLOAD: '1' },
});
if (result.error) {
  console.error(`web tests: cannot run ${npm}: ${result.error.message}`);
  process.exit(1);
}
process.exit(result.status ?? 1);
