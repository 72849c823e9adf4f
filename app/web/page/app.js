// The page of kestrovan-web: drawings chosen or dropped (files and whole
// folders), the options, the upload and the print's progress, the result
// table, the PDF and the printer. Plain script, no framework.
'use strict';

const chosen = [];  // {file, name}: name is the path inside a dropped folder
let jobId = null;

const $ = (id) => document.getElementById(id);

function isDrawing(name) { return /\.jww$/i.test(name); }

function sizeText(bytes) {
  if (bytes >= 1 << 20) return (bytes / (1 << 20)).toFixed(1) + ' MB';
  return Math.max(1, Math.round(bytes / 1024)) + ' KB';
}

function showChosen() {
  const list = $('chosen-list');
  list.textContent = '';
  let total = 0;
  for (const c of chosen) {
    total += c.file.size;
    const li = document.createElement('li');
    li.textContent = c.name;
    list.appendChild(li);
  }
  $('chosen').textContent = chosen.length
    ? `図面 ${chosen.length} 件（${sizeText(total)}）`
    : '図面はまだ選ばれていません';
  $('start').disabled = chosen.length === 0;
  $('clear').disabled = chosen.length === 0;
}

function add(file, name) {
  if (!isDrawing(name)) return;
  if (chosen.some((c) => c.name === name && c.file.size === file.size)) return;
  chosen.push({ file, name });
}

// Every file under a dropped folder, read in batches as the browser gives them.
function readFolder(entry) {
  return new Promise((resolve) => {
    const reader = entry.createReader();
    const entries = [];
    const next = () => reader.readEntries((batch) => {
      if (batch.length === 0) { resolve(entries); return; }
      entries.push(...batch);
      next();
    }, () => resolve(entries));
    next();
  });
}

async function addEntry(entry) {
  if (entry.isFile) {
    const file = await new Promise((resolve) => entry.file(resolve, () => resolve(null)));
    if (file) add(file, entry.fullPath.replace(/^\//, ''));
  } else if (entry.isDirectory) {
    const entries = await readFolder(entry);
    entries.sort((a, b) => a.name.localeCompare(b.name, 'ja', { numeric: true }));
    for (const e of entries) await addEntry(e);
  }
}

function showError(text) {
  const e = $('error');
  e.textContent = text;
  e.hidden = !text;
}

function setProgress(value, text) {
  $('progress-area').hidden = false;
  $('progress').value = value;
  $('progress-text').textContent = text;
}

function fields() {
  const form = new FormData();
  const mode = document.querySelector('input[name=paper-mode]:checked').value;
  const paper = $('paper').value;
  if (mode === 'drawing') form.append('paper', 'drawing');
  else if (mode === 'fit') form.append('fit-paper', paper);
  else form.append('paper', paper);
  if (mode !== 'drawing') form.append('orientation', $('orientation').value);
  const method = document.querySelector('input[name=method]:checked').value;
  form.append('method', method);
  if (method === 'scale') form.append('scale', $('scale').value || '1');
  if (method !== 'drawing' && $('rotate').value !== '0') form.append('rotate', $('rotate').value);
  for (const flag of ['follow-drawing', 'aux-lines', 'per-layer-group'])
    if ($(flag).checked) form.append(flag, '1');
  if ($('mono').checked) form.append('mono', '0');
  return form;
}

// What the server said went wrong: its own Japanese words for the kind of
// refusal, else a word for the status.
function errorText(status, body) {
  let said = '';
  try { said = JSON.parse(body).text || ''; } catch (e) { said = ''; }
  if (said) return said;
  return {
    401: 'パスワードが必要です（ページを読み込み直してください）',
    503: 'サーバが混み合っています。しばらくしてからもう一度お試しください',
  }[status] || `サーバでエラーが起きました（${status}）`;
}

function upload() {
  const form = fields();
  for (const c of chosen) form.append('files', c.file, c.name);
  showError('');
  $('result').hidden = true;
  $('start').disabled = true;
  const xhr = new XMLHttpRequest();
  xhr.open('POST', 'api/jobs');
  xhr.upload.onprogress = (e) => {
    if (e.lengthComputable) setProgress(e.loaded / e.total * 30, `送信中… ${Math.round(e.loaded / e.total * 100)}%`);
  };
  xhr.onload = () => {
    if (xhr.status !== 201) {
      showError(errorText(xhr.status, xhr.responseText));
      $('progress-area').hidden = true;
      $('start').disabled = false;
      return;
    }
    jobId = JSON.parse(xhr.responseText).id;
    setProgress(30, '印刷の順番を待っています…');
    poll();
  };
  xhr.onerror = () => {
    showError('サーバに送信できませんでした（接続が切れたか、送信量が上限を超えています）');
    $('progress-area').hidden = true;
    $('start').disabled = false;
  };
  setProgress(0, '送信中…');
  xhr.send(form);
}

async function poll() {
  let job;
  try {
    const r = await fetch(`api/jobs/${jobId}`, { cache: 'no-store' });
    if (!r.ok) { showError(errorText(r.status, await r.text())); $('start').disabled = false; return; }
    job = await r.json();
  } catch (e) {
    setTimeout(poll, 2000);
    return;
  }
  if (job.state === 'queued') {
    setProgress(30, job.ahead ? `印刷の順番を待っています（前に ${job.ahead} 件）…` : '印刷の順番を待っています…');
  } else if (job.state === 'running') {
    setProgress(30 + 70 * job.done / Math.max(1, job.total), `印刷中… ${job.done} / ${job.total}`);
  }
  if (job.state === 'queued' || job.state === 'running') { setTimeout(poll, 700); return; }
  setProgress(100, job.state === 'done' ? '完了しました' : '印刷できませんでした');
  showResult(job);
  $('start').disabled = false;
}

function paperText(p) {
  if (p.name) return `${p.name} ${p.orientation === 'landscape' ? '横' : '縦'}`;
  return `${Math.round(p.width_mm)}×${Math.round(p.height_mm)}mm`;
}

function cell(row, text, cls) {
  const td = document.createElement('td');
  if (cls) td.className = cls;
  td.textContent = text;
  row.appendChild(td);
  return td;
}

function showResult(job) {
  const body = document.querySelector('#result-table tbody');
  body.textContent = '';
  let warnings = 0;
  for (const f of job.files) {
    const row = document.createElement('tr');
    const papers = [...new Set((f.pages || []).map((p) => paperText(p.paper)))];
    cell(row, f.path, 'file');
    cell(row, String((f.pages || []).length), 'pages');
    cell(row, papers.join('、'), 'paper');
    cell(row, f.status_text || f.status, 'status');
    const notes = cell(row, '');
    if (f.shown) {
      const line = document.createElement('div');
      line.className = 'warning';
      line.textContent = f.shown;
      notes.appendChild(line);
    }
    for (const p of f.pages || []) {
      for (const w of p.warnings || []) {
        if (!w.shown) continue;
        const line = document.createElement('div');
        line.className = w.loses_content ? 'warning' : 'note';
        line.textContent = `${p.page}ページ目${w.loses_content ? '【警告】' : '【注記】'}${w.shown}`;
        if (w.loses_content) ++warnings;
        notes.appendChild(line);
      }
    }
    if (f.status !== 'printed') row.className = f.status === 'damaged' || f.status === 'blank' ? 'problem' : 'failed';
    body.appendChild(row);
  }
  const printed = job.files.filter((f) => (f.status === 'printed' || f.status === 'damaged') && (f.pages || []).length > 0).length;
  let summary = `${job.pages}ページ（${printed} / ${job.files.length}ファイル）を印刷しました。`;
  if (warnings) summary += `警告 ${warnings} 件。`;
  if (job.error) summary += job.error_text || job.error;
  $('summary').textContent = summary;
  const download = $('download');
  download.href = job.pdf ? `api/jobs/${jobId}/pdf` : '#';
  download.classList.toggle('disabled', !job.pdf);
  $('print').disabled = !job.pdf || $('queue').options.length === 0;
  $('print-result').textContent = '';
  $('result').hidden = false;
}

async function loadQueues() {
  const select = $('queue');
  try {
    const r = await fetch('api/queues', { cache: 'no-store' });
    const list = (await r.json()).queues || [];
    select.textContent = '';
    for (const q of list) {
      const o = document.createElement('option');
      o.value = q.name;
      o.textContent = q.description ? `${q.name}（${q.description}）` : q.name;
      if (q.default) o.selected = true;
      select.appendChild(o);
    }
  } catch (e) {
    select.textContent = '';
  }
  if (select.options.length === 0) {
    const o = document.createElement('option');
    o.textContent = 'プリンタがありません';
    o.disabled = true;
    select.appendChild(o);
  }
}

async function sendToPrinter() {
  const queue = $('queue').value;
  if (!queue || !jobId) return;
  $('print').disabled = true;
  $('print-result').textContent = '送信中…';
  try {
    const r = await fetch(`api/jobs/${jobId}/print`, {
      method: 'POST',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
      body: new URLSearchParams({ queue }),
    });
    const text = await r.text();
    $('print-result').textContent = r.ok ? `${queue} に送りました（ジョブ ${JSON.parse(text).cups_job}）` : errorText(r.status, text);
  } catch (e) {
    $('print-result').textContent = 'サーバに送信できませんでした';
  }
  $('print').disabled = false;
}

function setUp() {
  const drop = $('drop');
  drop.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
  drop.addEventListener('dragleave', () => drop.classList.remove('over'));
  drop.addEventListener('drop', async (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    const items = [...(e.dataTransfer.items || [])];
    const entries = items.map((i) => (i.webkitGetAsEntry ? i.webkitGetAsEntry() : null));
    if (entries.some((x) => x)) {
      for (const entry of entries) if (entry) await addEntry(entry);
    } else {
      for (const f of e.dataTransfer.files) add(f, f.name);
    }
    showChosen();
  });
  for (const id of ['pick-files', 'pick-folder']) {
    $(id).addEventListener('change', (e) => {
      const files = [...e.target.files].sort((a, b) =>
        (a.webkitRelativePath || a.name).localeCompare(b.webkitRelativePath || b.name, 'ja', { numeric: true }));
      for (const f of files) add(f, f.webkitRelativePath || f.name);
      e.target.value = '';
      showChosen();
    });
  }
  $('clear').addEventListener('click', () => { chosen.length = 0; showChosen(); });
  for (const r of document.querySelectorAll('input[name=method]')) {
    r.addEventListener('change', () => {
      const method = document.querySelector('input[name=method]:checked').value;
      $('scale').disabled = method !== 'scale';
      $('rotate').disabled = method === 'drawing';
    });
  }
  // Each drawing on its own sheet: no size or orientation to choose.
  for (const r of document.querySelectorAll('input[name=paper-mode]')) {
    r.addEventListener('change', () => {
      const own = document.querySelector('input[name=paper-mode]:checked').value === 'drawing';
      $('paper').disabled = own;
      $('orientation').disabled = own;
    });
  }
  $('start').addEventListener('click', upload);
  $('print').addEventListener('click', sendToPrinter);
  showChosen();
  loadQueues();
}

document.addEventListener('DOMContentLoaded', setUp);
