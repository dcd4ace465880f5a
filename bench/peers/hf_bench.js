// The spreadsheet engine peer: calculateFormula once per formula of a corpus file, on
// one empty sheet. A first pass warms the JIT up; the best of the timed passes counts.
// Times are processor time of the process, as for the other figures of the run.
//
//   node hf_bench.js FORMULAS.txt [PASSES]
//   node hf_bench.js --column VARIABLES.txt ROWS FORMULAS [PASSES]
//
// --column computes each formula of VARIABLES.txt (variables a to d) down a column: the
// values of ROWS rows set in columns A to D, the formula filled down column E (row r's
// copy reading row r's cells), and the results read back, for the first FORMULAS
// formulas; the figure is the time per row.
'use strict';
const fs = require('fs');
const { HyperFormula } = require('hyperformula');

if (process.argv[2] === '--column') {
    column(
        process.argv[3], Number(process.argv[4]), Number(process.argv[5]),
        Number(process.argv[6] || 2));
    process.exit(0);
}

function column(path, rows, count, passes) {
    const formulas =
        fs.readFileSync(path, 'utf8').split('\n').filter((l) => l.length > 0).slice(0, count);
    // The same kind of values as the other row figures: 0.5 to 10 with two decimals.
    let seed = 12345;
    const values = [];
    for (let r = 0; r < rows; r++) {
        const row = [];
        for (let v = 0; v < 4; v++) {
            seed = (Math.imul(seed, 1664525) + 1013904223) >>> 0;
            row.push((50 + ((seed >>> 8) % 951)) / 100);
        }
        values.push(row);
    }
    // The sheets' contents are made before the clock starts: the text of each row's copy of
    // the formula is the harness's work, not the engine's.
    const sheets = formulas.map(
        (f) => values.map(
            (v, r) =>
                [v[0], v[1], v[2], v[3],
                 '=' + f.replace(/\b[abcd]\b/g, (m) => 'ABCD'['abcd'.indexOf(m)] + (r + 1))]));
    const hf = HyperFormula.buildEmpty({licenseKey: 'gpl-v3'});
    const sheet = hf.getSheetId(hf.addSheet('Rows'));
    function pass() {
        let read = 0;
        const start = process.cpuUsage();
        for (const content of sheets) {
            hf.setSheetContent(sheet, content);
            for (let r = 0; r < rows; r++)
                if (hf.getCellValue({sheet, row: r, col: 4}) !== undefined) read++;
        }
        const used = process.cpuUsage(start);
        return {seconds: (used.user + used.system) / 1e6, read};
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
        rows,
        seconds: best.seconds,
        us_per_row: (best.seconds * 1e6) / (formulas.length * rows),
    }) + '\n');
}

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
