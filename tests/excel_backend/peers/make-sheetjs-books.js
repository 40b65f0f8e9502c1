// Writes sheetjs.xls, the workbook the .xls tests take as one SheetJS wrote:
// its shared string table is empty and every text is a LABEL record.
// Made once and kept beside this script, so the tests need no node:
//   npm install xlsx@0.18.5 && node make-sheetjs-books.js OUTDIR
const path = require('path');
const XLSX = require('xlsx');

const out = process.argv[2] || __dirname;
const wb = XLSX.utils.book_new();

const budget = [];
for (let r = 1; r <= 400; ++r)
    budget.push(['item ' + r, r * 1.5, { t: 'n', f: 'B' + r + '*2', v: r * 3 }]);
XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet(budget), 'Budget');

const strings = [];
for (let r = 1; r <= 300; ++r)
    strings.push([100 + r, 'text ' + r + ' Grüße 文字']);
XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet(strings), 'Strings');

XLSX.utils.book_append_sheet(wb, XLSX.utils.aoa_to_sheet([['keep me']]), 'Notes');

XLSX.writeFile(wb, path.join(out, 'sheetjs.xls'), { bookType: 'biff8' });
