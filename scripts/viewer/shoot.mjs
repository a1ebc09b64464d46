// Draws each model of a job list with the reference viewer (viewer.html) in Debian's
// headless Chromium and writes its picture beside ours.
//
//   node shoot.mjs JOBS.json
//
// JOBS.json: {"models": "/usr/share/assimp/models", "work": DIR, "background": [r, g, b],
//             "jobs": [{"name", "file", "view", "out"}, ...]}: each job's file (under
// "models"), the camera (a view file of quessel-study --save-view) and the PNG to write.
// What each drew (its box, meshes, missing files) goes to standard output, one JSON line a
// model. glTF 1.0 files are first brought to glTF 2.0 with gltf-pipeline, since three.js
// reads glTF 2.0 only. The pages are served from this machine's loopback only.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import pipeline from 'gltf-pipeline';

const here = path.dirname(fileURLToPath(import.meta.url));
const list = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
const roots = [path.resolve(list.models), path.resolve(list.work)];
const types = {
    '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.json': 'application/json',
    '.png': 'image/png', '.jpg': 'image/jpeg', '.jpeg': 'image/jpeg', '.gltf': 'model/gltf+json',
};

// A file as a web server on a case-sensitive disk would give it, except that a name in
// another letter case is found beside it, as viewers that are handed a folder do.
function resolve(file) {
    if (fs.existsSync(file)) return file;
    const folder = path.dirname(file);
    if (!fs.existsSync(folder)) return null;
    const other = fs.readdirSync(folder).find((name) => name.toLowerCase() === path.basename(file).toLowerCase());
    return other ? path.join(folder, other) : null;
}

function serve(request, response) {
    const url = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    let file = null;
    if (url.startsWith('/page/')) file = path.join(here, url.slice(6));
    else if (url.startsWith('/three/')) file = path.join(here, 'node_modules/three', url.slice(7));
    else if (url.startsWith('/file/')) {
        const wanted = path.resolve('/' + url.slice(6));
        if (roots.some((root) => wanted.startsWith(root + path.sep))) file = resolve(wanted);
    }
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
        response.writeHead(404);
        response.end();
        return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file).toLowerCase()] ?? 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
}

// A glTF 1.0 file as glTF 2.0 (materials with techniques become physically based ones),
// written whole into the work folder; other files as they are.
async function readable(job) {
    if (!/\.gltf$/i.test(job.file)) return job.file;
    const gltf = JSON.parse(fs.readFileSync(job.file, 'utf8'));
    if (!String(gltf.asset?.version ?? '1.0').startsWith('1')) return job.file;
    // Cesium's notes on its own deprecated functions are no news to the user.
    const warn = console.warn;
    console.warn = () => {};
    const upgraded = await pipeline.processGltf(gltf, { resourceDirectory: path.dirname(job.file) })
        .finally(() => { console.warn = warn; });
    const file = path.join(list.work, job.name + '.gltf');
    fs.writeFileSync(file, JSON.stringify(upgraded.gltf));
    return file;
}

const server = http.createServer(serve);
await new Promise((ready) => server.listen(0, '127.0.0.1', ready));
const origin = `http://127.0.0.1:${server.address().port}`;
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quessel-viewer-'));
let context;
try {
    // Debian's Chromium as this machine needs it: no sandbox (root), no GPU (SwiftShader
    // draws WebGL), nothing fetched in the background, a fresh profile.
    context = await chromium.launchPersistentContext(profile, {
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'],
        viewport: { width: 1280, height: 768 },
    });
    for (const job of list.jobs) {
        const page = await context.newPage();
        const warnings = [];
        page.on('console', (message) => {
            // The driver's notes on reading the canvas back are about speed, not the picture.
            if (/error|warning/.test(message.type()) && !/GL Driver Message .*Performance/.test(message.text()))
                warnings.push(message.text());
        });
        page.on('response', (response) => {
            if (response.status() >= 400) warnings.push(`${response.status()}: ${decodeURIComponent(response.url())}`);
        });
        page.on('pageerror', (error) => warnings.push(error.message));
        const report = { name: job.name };
        try {
            const file = await readable(job);
            await page.goto(`${origin}/page/viewer.html`);
            await page.waitForFunction(() => window.viewerReady === true, null, { timeout: 60000 });
            const format = path.extname(job.file).slice(1).toLowerCase();
            const drawn = await page.evaluate((job) => window.draw(job), {
                url: `${origin}/file${file.split(path.sep).map(encodeURIComponent).join('/')}`,
                format,
                view: JSON.parse(fs.readFileSync(job.view, 'utf8')),
                background: list.background,
            });
            fs.writeFileSync(job.out, Buffer.from(drawn.picture.split(',')[1], 'base64'));
            delete drawn.picture;
            Object.assign(report, drawn);
        } catch (error) {
            report.error = String(error.message ?? error).split('\n')[0];
        }
        report.warnings = [...new Set(warnings)].slice(0, 8);
        console.log(JSON.stringify(report));
        await page.close();
    }
} finally {
    await context?.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
}
