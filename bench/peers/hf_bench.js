// The spreadsheet engine peer: calculateFormula once per formula of a corpus file, on
// one empty sheet. A first pass warms the JIT up; the best of the timed passes counts.
// Times are processor time of the process, as for the other figures of the run.
//
//   node hf_bench.js FORMULAS.txt [PASSES]
'use strict';
const fs = require('fs');
const { HyperFormula } = require('hyperformula');

const file = process.argv[2];
const passes = Number(process.argv[3] || 2);
const formulas = fs.readFileSync(file, 'utf8').split('\n').filter((l) => l.length > 0).map((f) => '=' + f);

const hf = HyperFormula.buildEmpty({ licenseKey: 'gpl-v3' });
const sheet = hf.getSheetId(hf.addSheet('Bench'));

function pass() {
  let errors = 0;
  const start = process.cpuUsage();
  for (const f of formulas) {
    const v = hf.calculateFormula(f, sheet);
    if (v !== null && typeof v === 'object') errors++;
  }
  const used = process.cpuUsage(start);
  return { seconds: (used.user + used.system) / 1e6, errors };
}

pass();
let best = null;
for (let i = 0; i < passes; i++) {
  const r = pass();
  if (best === null || r.seconds < best.seconds) best = r;
}
process.stdout.write(JSON.stringify({
  engine: 'hyperformula ' + HyperFormula.version,
  formulas: formulas.length,
  seconds: best.seconds,
  us_per_formula: (best.seconds * 1e6) / formulas.length,
  error_values: best.errors,
}) + '\n');
