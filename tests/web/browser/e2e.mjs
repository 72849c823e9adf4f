// The page in a real browser: Debian's chromium, headless, driven by
// puppeteer-core. Two drawings chosen, the PDF made, the result table
// waited for, the PDF downloaded. With a screenshot folder, the page is
// photographed before and after.
// Usage: node e2e.mjs URL DRAWING1 DRAWING2 DOWNLOAD_DIR PROFILE_DIR [SHOTS_DIR]
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, first, second, downloads, profile, shots] = process.argv.slice(2);
const chromium = process.env.CHROMIUM || '/usr/lib/chromium/chromium';

function fail(message) {
  console.error(`FAILED: ${message}`);
  process.exitCode = 1;
}

const browser = await puppeteer.launch({
  executablePath: chromium,
  ignoreDefaultArgs: true,
  args: [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    `--user-data-dir=${profile}`, '--lang=ja', '--window-size=1200,900', 'about:blank',
  ],
  defaultViewport: { width: 1200, height: 900 },
});
try {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await page.goto(url, { waitUntil: 'networkidle0' });
  const title = await page.title();
  if (!title.includes('図面')) fail(`the page's title is ${title}`);

  const input = await page.$('#pick-files');
  await input.uploadFile(first, second);
  await page.waitForFunction(() => !document.querySelector('#start').disabled);
  const chosen = await page.$eval('#chosen', (e) => e.textContent);
  if (!chosen.includes('2 件')) fail(`chosen: ${chosen}`);
  // Each drawing on its own sheet, as the drawing's print settings say.
  await page.click('input[name=paper-mode][value=drawing]');
  await page.click('#follow-drawing');
  if (shots) await page.screenshot({ path: path.join(shots, 'web-page.png'), fullPage: true });

  const client = await browser.target().createCDPSession();
  await client.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.click('#start');
  try {
    await page.waitForFunction(() => document.querySelectorAll('#result-table tbody tr').length === 2 &&
      !document.querySelector('#result').hidden, { timeout: 120000 });
  } catch (e) {
    const said = await page.$eval('body', (b) => [document.querySelector('#error').textContent,
      document.querySelector('#progress-text').textContent]);
    throw new Error(`no result table (the page says: ${said.join(' / ')}; errors: ${errors.join('; ')})`);
  }
  const rows = await page.$$eval('#result-table tbody tr',
    (trs) => trs.map((tr) => [...tr.children].map((td) => td.textContent)));
  const names = [path.basename(first), path.basename(second)];
  rows.forEach((row, i) => {
    if (row[0] !== names[i]) fail(`row ${i + 1} names ${row[0]}, not ${names[i]}`);
    if (row[1] !== '1') fail(`row ${i + 1} has ${row[1]} pages`);
    if (!/^(A[0-4]|[2-5]A|B[45]) [横縦]$/.test(row[2])) fail(`row ${i + 1} paper: ${row[2]}`);
    if (row[3] !== '印刷') fail(`row ${i + 1} result: ${row[3]}`);
  });
  const progress = await page.$eval('#progress', (p) => p.value);
  if (progress !== 100) fail(`the progress bar stands at ${progress}`);
  const summary = await page.$eval('#summary', (e) => e.textContent);
  if (!summary.startsWith('2ページ')) fail(`summary: ${summary}`);
  if (shots) await page.screenshot({ path: path.join(shots, 'web-result.png'), fullPage: true });

  await page.click('#download');
  const pdf = path.join(downloads, 'kestrovan.pdf');
  for (let i = 0; i < 300 && !fs.existsSync(pdf); ++i) await new Promise((r) => setTimeout(r, 100));
  if (!fs.existsSync(pdf)) fail('no PDF was downloaded');
  else if (fs.readFileSync(pdf).subarray(0, 5).toString() !== '%PDF-') fail('the download is not a PDF');
  else console.log(`downloaded ${pdf}: ${fs.statSync(pdf).size} bytes; rows: ${JSON.stringify(rows)}`);
  if (errors.length) fail(`the page reported errors: ${errors.join('; ')}`);
} finally {
  await browser.close();
}
