// The figures of each model from its two pictures, ours and the reference viewer's:
//
//   node measure.mjs PAIRS.json
//
// PAIRS.json: {"background": [r, g, b], "out": DIR, "reports": FILE, "pairs": [{"name", "format",
// "file", "ours", "viewer", "difference", "view"}, ...]}: the two pictures, the difference
// picture to write and quessel-study's view file of each model; what the viewer said it drew
// of each (shoot.mjs's lines) in FILE.
//
// The model is where a picture differs from the background colour by more than Tolerance in
// some channel. Per model, into DIR/compare.csv and the table DIR/compare.txt (also printed):
// the silhouettes' overlap (intersection over union, and over the viewer's area), the mean
// Rec. 709 luma of the sRGB values (0-255) inside each model, their ratio and their spread
// (standard deviation: a flat silhouette has none), the median CIE76 colour difference
// (CIELAB from sRGB, D65) over the pixels inside both, how far apart the two renderers place
// the model's box. Into DIR/sheet.tsv: a box around both models and a caption for the contact
// sheet. The difference picture: the colour difference in grey where both have the model
// (rising with its square root: mid-grey at 12, white from 50), red where only ours has it,
// blue where only the viewer's has it.
import fs from 'node:fs';
import { PNG } from 'pngjs';

const Tolerance = 3;

// sRGB 0-255 to linear light.
const linear = Float64Array.from({ length: 256 }, (_, i) => {
    const c = i / 255;
    return c <= 0.04045 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4);
});

function lab(r, g, b) {
    const R = linear[r], G = linear[g], B = linear[b];
    // D65 white: the sRGB primaries' XYZ, each divided by the white's.
    const x = (0.4124564 * R + 0.3575761 * G + 0.1804375 * B) / 0.95047;
    const y = 0.2126729 * R + 0.7151522 * G + 0.0721750 * B;
    const z = (0.0193339 * R + 0.1191920 * G + 0.9503041 * B) / 1.08883;
    const f = (t) => t > 216 / 24389 ? Math.cbrt(t) : t * 841 / 108 + 4 / 29;
    return [116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))];
}

const luma = (p, i) => 0.2126 * p[i] + 0.7152 * p[i + 1] + 0.0722 * p[i + 2];

function read(file) {
    const png = PNG.sync.read(fs.readFileSync(file));
    return png;
}

function measure(pair, background) {
    const ours = read(pair.ours), viewer = read(pair.viewer);
    if (ours.width !== viewer.width || ours.height !== viewer.height)
        throw new Error(`${pair.name}: ours is ${ours.width} x ${ours.height}, the viewer's ${viewer.width} x ${viewer.height}`);
    const { width, height } = ours;
    const inModel = (p, i) => Math.abs(p[i] - background[0]) > Tolerance || Math.abs(p[i + 1] - background[1]) > Tolerance
        || Math.abs(p[i + 2] - background[2]) > Tolerance;
    const difference = new PNG({ width, height });
    const differences = [];
    let oursArea = 0, viewerArea = 0, both = 0, oursLuma = 0, viewerLuma = 0, oursSquares = 0, viewerSquares = 0;
    let left = width, right = -1, top = height, bottom = -1;
    for (let y = 0; y < height; y++) {
        for (let x = 0; x < width; x++) {
            const i = 4 * (y * width + x);
            const o = inModel(ours.data, i), v = inModel(viewer.data, i);
            let shown = [0, 0, 0];
            if (o) { const l = luma(ours.data, i); oursArea++; oursLuma += l; oursSquares += l * l; }
            if (v) { const l = luma(viewer.data, i); viewerArea++; viewerLuma += l; viewerSquares += l * l; }
            if (o && v) {
                both++;
                const a = lab(ours.data[i], ours.data[i + 1], ours.data[i + 2]);
                const b = lab(viewer.data[i], viewer.data[i + 1], viewer.data[i + 2]);
                const e = Math.hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
                differences.push(e);
                const grey = Math.round(255 * Math.sqrt(Math.min(1, e / 50)));
                shown = [grey, grey, grey];
            } else if (o) {
                shown = [220, 40, 40];
            } else if (v) {
                shown = [40, 110, 230];
            }
            if (o || v) {
                left = Math.min(left, x); right = Math.max(right, x);
                top = Math.min(top, y); bottom = Math.max(bottom, y);
            }
            difference.data.set([...shown, 255], i);
        }
    }
    fs.writeFileSync(pair.difference, PNG.sync.write(difference));
    differences.sort((a, b) => a - b);
    const union = oursArea + viewerArea - both;
    const median = differences.length === 0 ? null
        : differences.length % 2 ? differences[(differences.length - 1) / 2]
            : (differences[differences.length / 2 - 1] + differences[differences.length / 2]) / 2;
    const oursMean = oursArea ? oursLuma / oursArea : null;
    const viewerMean = viewerArea ? viewerLuma / viewerArea : null;
    return {
        name: pair.name,
        ours_share: oursArea / (width * height),
        viewer_share: viewerArea / (width * height),
        iou: union ? both / union : null,
        over_viewer: viewerArea ? both / viewerArea : null,
        ours_luma: oursMean,
        viewer_luma: viewerMean,
        luma_ratio: oursMean !== null && viewerMean ? oursMean / viewerMean : null,
        ours_spread: oursArea ? Math.sqrt(Math.max(0, oursSquares / oursArea - oursMean * oursMean)) : null,
        viewer_spread: viewerArea ? Math.sqrt(Math.max(0, viewerSquares / viewerArea - viewerMean * viewerMean)) : null,
        median_de76: median,
        crop: right < 0 ? null : crop(left, top, right, bottom, width, height),
    };
}

// The box around both models with a margin, widened to the picture's aspect and kept inside it.
function crop(left, top, right, bottom, width, height) {
    const margin = 0.08 * Math.max(right - left, bottom - top) + 8;
    let w = right - left + 2 * margin, h = bottom - top + 2 * margin;
    if (w / h > width / height) h = w * height / width; else w = h * width / height;
    w = Math.min(width, Math.round(w));
    h = Math.min(height, Math.round(h));
    const x = Math.round(Math.min(Math.max((left + right - w) / 2, 0), width - w));
    const y = Math.round(Math.min(Math.max((top + bottom - h) / 2, 0), height - h));
    return { x, y, width: w, height: h };
}

// How far the viewer's box of the model lies from the one quessel-study framed, as a share
// of the framed box's radius: a different axis or unit convention shows here first.
function boxOffset(framed, placed) {
    if (!framed || !placed) return null;
    const radius = Math.hypot(...framed.max.map((v, i) => v - framed.min[i])) / 2;
    const offsets = [0, 1, 2].flatMap((i) => [Math.abs(framed.min[i] - placed.min[i]), Math.abs(framed.max[i] - placed.max[i])]);
    return Math.max(...offsets) / radius;
}

const Goals = { lumaLow: 0.8, lumaHigh: 1.25, de76: 12, overlap: 0.95 };
const fixed = (value, digits) => value === null || value === undefined ? '' : value.toFixed(digits);
const percent = (value) => value === null || value === undefined ? '' : (100 * value).toFixed(1);

const list = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
const reports = new Map(fs.readFileSync(list.reports, 'utf8').split('\n').filter(Boolean).map((line) => JSON.parse(line))
    .map((report) => [report.name, report]));
const rows = [];
for (const pair of list.pairs) {
    const report = reports.get(pair.name) ?? { error: 'the viewer said nothing of it' };
    let row;
    try {
        if (report.error) throw new Error('the viewer did not draw it');
        row = measure(pair, list.background);
    } catch (error) {
        row = { name: pair.name, error: String(error.message ?? error) };
    }
    const view = JSON.parse(fs.readFileSync(pair.view, 'utf8'));
    Object.assign(row, { format: pair.format, file: pair.file, box_offset: boxOffset(view.bounds, report.box) });
    row.meets = row.luma_ratio !== null && row.luma_ratio >= Goals.lumaLow && row.luma_ratio <= Goals.lumaHigh
        && row.median_de76 !== null && row.median_de76 <= Goals.de76 && row.iou !== null && row.iou >= Goals.overlap;
    row.notes = [row.error, report.error && 'viewer: ' + report.error, ...(report.missing ?? []).map((file) => 'viewer missed ' + file),
                 row.box_offset > 0.05 ? `boxes ${percent(row.box_offset)} % of the radius apart` : null]
        .filter(Boolean).join('; ');
    rows.push(row);
}

const columns = ['name', 'format', 'ours_luma', 'viewer_luma', 'luma_ratio', 'median_de76', 'iou', 'over_viewer',
                 'ours_spread', 'viewer_spread',
                 'ours_share', 'viewer_share', 'box_offset', 'meets', 'file', 'notes'];
const csvField = (value) => {
    const text = value === null || value === undefined ? '' : typeof value === 'number' ? String(+value.toFixed(4)) : String(value);
    return /[",\n]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text;
};
fs.writeFileSync(`${list.out}/compare.csv`,
                 [columns.join(','), ...rows.map((row) => columns.map((c) => csvField(row[c])).join(','))].join('\n') + '\n');

const header = ['model', 'format', 'luma ours', 'viewer', 'ratio', 'median ΔE76', 'IoU %', 'of viewer %', 'goals'];
const lines = rows.map((row) => [row.name, row.format, fixed(row.ours_luma, 0), fixed(row.viewer_luma, 0),
                                 fixed(row.luma_ratio, 2), fixed(row.median_de76, 1), percent(row.iou),
                                 percent(row.over_viewer), row.meets ? 'met' : 'not met']);
const widths = header.map((title, i) => Math.max(title.length, ...lines.map((line) => line[i].length)));
const table = [header, ...lines].map((line) => line.map((cell, i) => i < 2 ? cell.padEnd(widths[i]) : cell.padStart(widths[i]))
    .join('  ').trimEnd());
table.splice(1, 0, widths.map((w) => '-'.repeat(w)).join('  '));
const met = rows.filter((row) => row.meets).length;
const notes = rows.filter((row) => row.notes).map((row) => `${row.name}: ${row.notes}`);
const text = [...table, '',
              `Goals: luma ratio ${Goals.lumaLow}-${Goals.lumaHigh}, median ΔE76 <= ${Goals.de76}, IoU >= ${100 * Goals.overlap} %; ` +
              `${met} of ${rows.length} models meet all three.`, ...notes].join('\n') + '\n';
fs.writeFileSync(`${list.out}/compare.txt`, text);
process.stdout.write(text);

// The contact sheet's rows: the model's name, the box to show and the caption.
fs.writeFileSync(`${list.out}/sheet.tsv`, rows.filter((row) => row.crop).map((row) => [
    row.name, `${row.crop.width}x${row.crop.height}+${row.crop.x}+${row.crop.y}`,
    `${row.name} (${row.format})   luma ${fixed(row.ours_luma, 0)} / ${fixed(row.viewer_luma, 0)} = ${fixed(row.luma_ratio, 2)}` +
    `   median ΔE76 ${fixed(row.median_de76, 1)}   IoU ${percent(row.iou)} %`,
].join('\t')).join('\n') + '\n');
