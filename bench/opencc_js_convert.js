// opencc_js_convert.js: converts standard input with opencc-js under an OpenCC config name, for the agreement and speed scripts.
// Usage: node opencc_js_convert.js NAME [--time] < in > out   (NODE_PATH or the current folder must reach opencc-js)
'use strict';
const OpenCC = require('opencc-js');
const LOCALES = {
  s2t: ['cn', 't'], t2s: ['t', 'cn'], s2tw: ['cn', 'tw'], tw2s: ['tw', 'cn'], s2twp: ['cn', 'twp'],
  tw2sp: ['twp', 'cn'], s2hk: ['cn', 'hk'], hk2s: ['hk', 'cn'], s2hkp: ['cn', 'hkp'], hk2sp: ['hkp', 'cn'],
  t2tw: ['t', 'tw'], tw2t: ['tw', 't'], t2hk: ['t', 'hk'], hk2t: ['hk', 't'],
};
const name = process.argv[2];
if (!LOCALES[name]) {
  process.stderr.write(`unknown config ${name}\n`);
  process.exit(2);
}
const started = process.hrtime.bigint();
const convert = OpenCC.Converter({ from: LOCALES[name][0], to: LOCALES[name][1] });
const input = require('fs').readFileSync(0);
const loaded = process.hrtime.bigint();
const output = convert(input.toString('utf8'));
const done = process.hrtime.bigint();
process.stdout.write(output);
if (process.argv.includes('--time')) {
  const s = Number(done - loaded) / 1e9;
  process.stderr.write(`${name}: load ${(Number(loaded - started) / 1e6).toFixed(0)} ms, convert ${s.toFixed(3)} s, ` +
    `${(input.length / 1e6 / s).toFixed(1)} MB/s\n`);
}
