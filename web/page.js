// The page: options in, the request runner's texts out. The form calls the
// runner as the window's Calculate command does and shows its texts; the
// options below it become tactimer-cli's arguments, and what the runner
// prints (JSON) is drawn as it comes. MIDI files are read in a worker.
'use strict';

(() => {
  const kMaxFileBytes = 256 * 1024 * 1024;
  const kShownRows = 1000;

  const TEXTS = {
    ja: {
      language: '言語', save: '保存:', form: '音価の計算', resolution: '分解能', calculate: '計算',
      ticks: 'Tick', ms: 'ミリ秒', options: 'さらに: tactimer-cli のオプション',
      tuplets: '連符', exact: 'Tick を分数で、すべてが整数になる分解能も',
      samples: 'サンプル数（毎秒のサンプル数）', hz: '繰り返しの周波数（Hz）',
      tempoUs: 'テンポを四分音符あたりのマイクロ秒で', tempoFor: '長さに合うテンポ',
      forMs: '長さ（ミリ秒）', forNote: '音価', midi: 'MIDI ファイル',
      chooseFile: 'ファイルを選ぶ（.mid、.rmi）',
      dropHint: 'ページにドロップしても開けます。ファイルはこのページの中で読まれ、どこにも送られません。',
      close: 'ファイルを閉じる', at: 'Tick の時刻と位置', atMs: 'この時刻（ミリ秒）の Tick',
      tableAt: 'この Tick（か位置）のテンポでの音価表', noteTable: '音価表', report: (name) => name + ' のレポート',
      frames: 'フレーム数とクリック（毎秒のフレーム数）', timecodeRate: 'タイムコードのフレームレート',
      start: '開始のタイムコード', atTc: 'このタイムコードの Tick', none: 'なし', fit: '映像に合わせる',
      fitHint: 'ヒットの時刻（キューの最初の拍からのミリ秒、またはフレームレートを選んでタイムコード）をコンマ区切りで入れると、ヒットを拍に乗せるテンポを探します。位置@時刻 で入れると、各ヒットをその時刻に鳴らすテンポマップを作ります。',
      hits: 'ヒット', grid: 'グリッド（音価）', range: '試すテンポ（低-高）', step: 'テンポの刻み',
      best: '表示するテンポの数', timeSignature: '拍子',
      saveTempoMap: 'テンポマップを MIDI ファイルに保存', retick: '曲全体を別の分解能で',
      saveRetick: 'この分解能で MIDI ファイルに保存', saveFitMap: 'このテンポマップを MIDI ファイルに保存',
      reading: '読み込み中…', byBars: '小節で', byTime: '時間で',
      graph: (low, high) => 'テンポの変化のグラフ: ' + low + '～' + high + ' BPM',
      shown: '最初の 1000 行を表示しています。すべての行は CSV か JSON で保存できます。',
      tooLarge: (name) => name + ': 256 MiB を超えるファイルはこのページでは読みません（tactimer-cli はどの大きさでも読めます）',
      cut: 'ページに表示しきれない大きさの出力です。tactimer-cli で出力してください。',
      noWorker: 'このブラウザーでは、ファイルを読む Web Worker を始められませんでした。',
      footer: 'Tactimer は WebAssembly にしたウィンドウ版と同じ C++ で計算します。このページはオフラインで動き、何も送信しません。',
      yes: 'はい',
      keys: {
        file: 'ファイル', format: 'フォーマット', tracks: 'トラック数', resolution: '分解能', name: '曲名',
        smpte: 'SMPTE', fps: '毎秒のフレーム数', drop_frame: 'ドロップフレーム',
        ticks_per_frame: '1 フレームの Tick', tempos: 'テンポマップ', time_signatures: '拍子',
        end: '終わり', at: '指定の位置', lenient: '寛容に読み込んだ箇所', tick: 'Tick', position: '位置',
        us_per_quarter: 'マイクロ秒/四分音符', bpm: 'BPM', implied: '暗黙', signature: '拍子',
        at_ms: '指定ミリ秒', offset: 'バイト', track: 'トラック', what: '内容', tempo: 'テンポ',
        stored_tempo: 'MIDI に保存されるテンポ', drift_ms_per_100_quarters: '四分音符 100 個でのずれ（ミリ秒）',
        whole_at_multiples_of: 'すべての行が整数の Tick になる分解能の倍数', notes: '音価表', note: '音価',
        ticks: 'Tick', ms: 'ミリ秒', exact_ticks: 'Tick（分数）', samples: 'サンプル', hz: 'Hz',
        clock: 'タイムコード', start: '開始', from: '起点', timecode: 'タイムコード', at_tc: '指定タイムコード',
        frames: 'フレーム', click: 'クリック', click_bpm: 'クリックのテンポ（BPM）', fits: 'ヒットに合うテンポ',
        'fits.hits': '最良のテンポでのヒット', hits: 'ヒット', 'hits.name': '名前', max_error_ms: '最大誤差（ミリ秒）',
        max_error_frames: '最大誤差（フレーム）', error_ms: '誤差（ミリ秒）', error_us: '誤差（マイクロ秒）',
        name_encoding: '曲名の文字コード', resolution_from: '元の分解能', resolution_to: '新しい分解能',
        events: 'イベント数', moved: '時刻が動いたイベント', max_error_ticks: '最大誤差（Tick）',
        least_exact_resolution: '全イベントが正確なままの最小分解能',
      },
    },
    en: {
      language: 'Language', save: 'Save:', form: 'Note lengths', resolution: 'Resolution',
      calculate: 'Calculate', ticks: 'ticks', ms: 'ms', options: 'More: the options of tactimer-cli',
      tuplets: 'Tuplets', exact: 'Ticks as exact fractions, and the resolutions that make every row whole',
      samples: 'Samples at a rate (samples a second)', hz: 'The rate at which the note repeats (Hz)',
      tempoUs: 'Tempo in microseconds a quarter note', tempoFor: 'The tempo for a length',
      forMs: 'Length (ms)', forNote: 'Note', midi: 'MIDI file', chooseFile: 'Choose a file (.mid, .rmi)',
      dropHint: 'Or drop it on the page. The file is read inside this page and sent nowhere.',
      close: 'Close the file', at: 'Time and position of ticks', atMs: 'The tick at times (ms)',
      tableAt: 'Note table at the tempo of a tick (or a position)', noteTable: 'note table',
      frames: 'Frames and click (frames a second)', timecodeRate: 'Timecode frame rate',
      start: 'Timecode at the start', atTc: 'The tick at timecodes', none: 'none', fit: 'Fit to picture',
      fitHint: "Type the hits' times, a comma apart (milliseconds from the cue's first downbeat, or timecodes once a frame rate is chosen), for the tempos that put them on the beat; as POSITION@TIME, for a tempo map that lands each one on its time.",
      hits: 'Hits', grid: 'Grid (note)', range: 'Tempos to try (low-high)', step: 'Tempo step',
      best: 'How many tempos', timeSignature: 'Time signature',
      saveTempoMap: 'Save the tempo map as a MIDI file', retick: 'The whole song at another resolution',
      saveRetick: 'Save it as a MIDI file', saveFitMap: 'Save this tempo map as a MIDI file',
      report: (name) => 'report of ' + name, reading: 'Reading…', byBars: 'by bars', byTime: 'by time',
      graph: (low, high) => 'Graph of the tempo: ' + low + ' to ' + high + ' BPM',
      shown: 'The first 1000 rows are shown. Save the CSV or JSON for all of them.',
      tooLarge: (name) => name + ': larger than the 256 MiB this page reads (tactimer-cli reads files of any size)',
      cut: 'The output is larger than the page can show: run tactimer-cli for it.',
      noWorker: 'This browser could not start the Web Worker that reads files.',
      footer: 'Tactimer computes with the same C++ as its window, as WebAssembly. This page works offline and sends nothing anywhere.',
      yes: 'yes',
      keys: {
        file: 'file', format: 'format', tracks: 'tracks', resolution: 'resolution', name: 'name',
        smpte: 'SMPTE', fps: 'frames a second', drop_frame: 'drop frame', ticks_per_frame: 'ticks a frame',
        tempos: 'tempo map', time_signatures: 'time signatures', end: 'end', at: 'at',
        lenient: 'read leniently', tick: 'tick', position: 'position', us_per_quarter: 'µs/quarter',
        bpm: 'BPM', implied: 'implied', signature: 'signature', at_ms: 'asked ms', offset: 'byte',
        track: 'track', what: 'what', tempo: 'tempo', stored_tempo: 'stored tempo',
        drift_ms_per_100_quarters: 'drift per 100 quarter notes (ms)',
        whole_at_multiples_of: 'every row whole at resolutions that are multiples of', notes: 'note values',
        note: 'note', ticks: 'ticks', ms: 'ms', exact_ticks: 'exact ticks', samples: 'samples', hz: 'Hz',
        clock: 'timecode', start: 'start', from: 'from', timecode: 'timecode', at_tc: 'asked timecode',
        frames: 'frames', click: 'click', click_bpm: 'click tempo (BPM)', fits: 'tempos that fit the hits',
        'fits.hits': 'hits at the best tempo', hits: 'hits', 'hits.name': 'name', max_error_ms: 'largest error (ms)',
        max_error_frames: 'largest error (frames)', error_ms: 'error (ms)', error_us: 'error (µs)',
        name_encoding: 'name encoding', resolution_from: 'resolution before', resolution_to: 'resolution after',
        events: 'events', moved: 'events moved off their exact time', max_error_ticks: 'largest error (ticks)',
        least_exact_resolution: 'least resolution keeping every event exact',
      },
    },
  };

  const $ = (selector) => document.querySelector(selector);
  const element = (name, attributes = {}, ...children) => {
    const made = document.createElement(name);
    Object.entries(attributes).forEach(([key, value]) => made.setAttribute(key, value));
    made.append(...children);
    return made;
  };
  const decoder = new TextDecoder();

  let language = 'ja';
  let texts = TEXTS.ja;
  let runner = null;
  let compiled = null;
  let workerCode = null;  // the texts of the scripts the worker is made of
  let pair = ['120', '480'];  // as the form last calculated it

  // ---- The form ----

  // The result fields in the order of the runner's rows: each note's ticks,
  // then its milliseconds.
  const tickFields = [...document.querySelectorAll('.grid tr:nth-child(2) td[data-id]')];
  const millisecondFields = [...document.querySelectorAll('.grid tr:nth-child(3) td[data-id]')];
  const captionCells = [...document.querySelectorAll('.grid th[scope="col"]')];

  // RFC 4180 as the runner writes it: no cell holds a comma or a quote.
  function csvRecords(bytes) {
    const records = decoder.decode(bytes).split('\r\n').map((line) => line.split(','));
    records.pop();
    return records;
  }

  // JSON's note rows with the table's own texts where JSON says null
  // ("inf", "nan", "--"), from the same request printed as CSV.
  function withTableTexts(printed, csvBytes) {
    const [header, ...records] = csvRecords(csvBytes);
    const notes = printed instanceof Map ? printed.get('notes') : null;
    if (!Array.isArray(notes) || notes.length !== records.length) {
      return printed;
    }
    notes.forEach((note, i) => {
      for (const [key, value] of note) {
        const column = header.indexOf(key);
        if (value === null && column >= 0) {
          note.set(key, records[i][column]);
        }
      }
    });
    return printed;
  }

  // The note rows of a table as the runner prints it as CSV; none when it
  // refused the numbers.
  function noteColumns(args) {
    const result = runner.run(['--format', 'csv', '--lang', language, ...args]);
    const records = result.status === 0 ? csvRecords(result.out) : [];
    const header = records.shift() || [];
    const column = (name) => records.map((record) => record[header.indexOf(name)]);
    return {result, notes: column('note'), ticks: column('ticks'), ms: column('ms')};
  }

  // What the window's Calculate command does: the 32 texts, or "--" in
  // every field when the input cannot be used.
  function calculate() {
    pair = [$('#tempo').value, $('#resolution').value];
    const {result, ticks, ms} = noteColumns(['--', ...pair]);
    const shown = ticks.length === tickFields.length;
    tickFields.forEach((field, i) => (field.textContent = shown ? ticks[i] : '--'));
    millisecondFields.forEach((field, i) => (field.textContent = shown ? ms[i] : '--'));
    $('#form-error').textContent = result.status === 0 ? '' : firstMessage(result.err);
    refreshNotes();
  }

  // The captions in the chosen language, from a table the runner prints.
  function showCaptions() {
    const {notes} = noteColumns(['--', '120', '480']);
    captionCells.forEach((cell, i) => (cell.textContent = notes[i]));
    $('#captions').replaceChildren(...notes.map((note) => element('option', {value: note})));
  }

  // ---- Drawing what the runner prints as JSON ----

  // A key's name, or its name within a table where it means something else.
  const keyText = (key, within = '') => texts.keys[within + '.' + key] || texts.keys[key] || key;
  const valueText = (value) =>
    value === null ? '—' : value === true ? texts.yes : value === false ? '' : typeof value === 'string' ? value : value.n;
  const isRecord = (value) => value instanceof Map;
  const isTable = (value) => Array.isArray(value) && value.every(isRecord);
  // A record's tables of its own (each fit's hits) are drawn after its table.
  const nestedTables = (record) => [...record].filter(([, value]) => isTable(value));

  // A row's cells: bar, beat and beat_tick as one position, numerator and
  // denominator as one signature, as tactimer-cli's tables show them.
  function cellsOf(record) {
    const cells = new Map();
    for (const [key, value] of record) {
      if (key === 'bar') {
        cells.set('position', value === null ? '-' : [value, record.get('beat'), record.get('beat_tick')].map(valueText).join(':'));
      } else if (key === 'numerator') {
        cells.set('signature', valueText(value) + '/' + valueText(record.get('denominator')));
      } else if (key !== 'beat' && key !== 'beat_tick' && key !== 'denominator' && !isTable(value)) {
        cells.set(key, valueText(value));
      }
    }
    return cells;
  }

  function drawTable(key, records) {
    const rows = records.slice(0, kShownRows).map(cellsOf);
    const columns = [];
    rows.forEach((cells) => cells.forEach((_, column) => columns.includes(column) || columns.push(column)));
    const table = element('table', {class: 'rows', 'data-key': key},
      element('caption', {}, keyText(key)),
      element('thead', {}, element('tr', {}, ...columns.map((column) => element('th', {scope: 'col'}, keyText(column, key))))),
      element('tbody', {}, ...rows.map((cells) => element('tr', {}, ...columns.map((column) => element('td', {}, cells.get(column) ?? ''))))));
    // A scrolled region must take the keyboard's focus to be scrolled.
    const box = element('div', {class: records.length > 20 ? 'scroll long' : 'scroll', tabindex: '0', role: 'region', 'aria-label': keyText(key)}, table);
    return records.length > kShownRows ? [box, element('p', {class: 'hint'}, texts.shown)] : [box];
  }

  // Scalars as a list of facts, records and lists of records as tables, in
  // the order the runner printed them; a tempo map gets its graph first.
  function drawDocument(printed) {
    if (Array.isArray(printed)) {
      return printed.flatMap(drawDocument);
    }
    if (!isRecord(printed)) {
      return [element('p', {}, valueText(printed))];
    }
    const facts = element('dl', {class: 'facts'});
    const parts = [facts];
    for (const [key, value] of printed) {
      if (isTable(value)) {
        if (key === 'tempos' && value.length > 0 && isRecord(printed.get('end'))) {
          parts.push(drawGraph(value, printed.get('end')));
        }
        if (value.length > 0) {
          parts.push(...drawTable(key, value));
          // The first record's own tables: the best fit's hits.
          nestedTables(value[0]).forEach(([inner, rows]) => parts.push(...drawTable(key + '.' + inner, rows)));
        }
      } else if (isRecord(value) && key === 'end') {
        parts.push(...drawTable(key, [value]));
      } else if (isRecord(value)) {
        for (const [inner, innerValue] of value) {
          facts.append(element('dt', {}, keyText(key) + ': ' + keyText(inner)), element('dd', {}, valueText(innerValue)));
        }
      } else {
        facts.append(element('dt', {}, keyText(key)), element('dd', {}, valueText(value)));
      }
    }
    return facts.childElementCount > 0 ? parts : parts.slice(1);
  }

  // ---- The tempo graph: BPM against bars or time, every change a step ----

  let graphView = 'bars';

  function drawGraph(tempos, end) {
    const figure = element('figure', {class: 'graph-box'});
    const views = element('div', {class: 'views', role: 'group', 'aria-label': texts.keys.tempos});
    const draw = () => {
      const axis = graphView === 'bars' ? 'tick' : 'ms';
      figure.querySelector('svg')?.remove();
      figure.append(tempoSvg(tempos, end, axis));
      views.querySelectorAll('button').forEach((button) => button.setAttribute('aria-pressed', String(button.value === graphView)));
    };
    for (const [view, label] of [['bars', texts.byBars], ['time', texts.byTime]]) {
      const button = element('button', {type: 'button', value: view}, label);
      button.addEventListener('click', () => {
        graphView = view;
        draw();
      });
      views.append(button);
    }
    figure.append(views);
    draw();
    return figure;
  }

  function tempoSvg(tempos, end, axis) {
    const width = 1000;
    const height = 320;
    const left = 70;
    const right = 16;
    const top = 16;
    const bottom = 40;
    const bpm = tempos.map((tempo) => Number(tempo.get('bpm').n));
    const low = tempos[bpm.indexOf(Math.min(...bpm))].get('bpm').n;
    const high = tempos[bpm.indexOf(Math.max(...bpm))].get('bpm').n;
    const span = Number(high) - Number(low) || 1;
    const last = Number(valueText(end.get(axis))) || 1;
    const round = (value) => Math.round(value * 10) / 10;
    const x = (record) => round(left + (Number(valueText(record.get(axis))) / last) * (width - left - right));
    const y = (value) => round(top + (1 - (value - Number(low)) / span) * (height - top - bottom));
    // Changes that fall within a tenth of a unit of width are drawn as the
    // span of tempos they pass through.
    const path = [`M${left} ${y(bpm[0])}`];
    let column = null;
    let lowest = 0;
    let highest = 0;
    let latest = 0;
    const flush = () => column !== null && path.push(`H${column}V${lowest}V${highest}V${latest}`);
    tempos.forEach((tempo, i) => {
      const at = x(tempo);
      const level = y(bpm[i]);
      if (at !== column) {
        flush();
        column = at;
        lowest = highest = latest = level;
      } else {
        lowest = Math.max(lowest, level);
        highest = Math.min(highest, level);
        latest = level;
      }
    });
    flush();
    path.push(`H${width - right}`);
    const start = cellsOf(tempos[0]);
    const finish = cellsOf(end);
    const where = (cells) => (axis === 'tick' ? cells.get('position') : cells.get('ms') + ' ' + texts.ms);
    const label = (textX, textY, anchor, text) => element('text', {x: textX, y: textY, 'text-anchor': anchor}, text);
    const svg = document.createElementNS('http://www.w3.org/2000/svg', 'svg');
    svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    svg.setAttribute('class', 'graph');
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-label', texts.graph(low, high));
    svg.innerHTML = `<path class="step" d="${path.join('')}"/>`;
    const labels = [
      label(left - 8, y(Number(high)) + 4, 'end', high),
      ...(low === high ? [] : [label(left - 8, y(Number(low)) + 4, 'end', low)]),
      label(left, height - 14, 'start', where(start)),
      label(width - right, height - 14, 'end', where(finish)),
    ];
    for (const made of labels) {
      const text = document.createElementNS('http://www.w3.org/2000/svg', 'text');
      [...made.attributes].forEach((attribute) => text.setAttribute(attribute.name, attribute.value));
      text.textContent = made.textContent;
      svg.append(text);
    }
    return svg;
  }

  // ---- Options: each field is an argument; a refused one says why beside it ----

  function fieldArguments(field) {
    if (field.type === 'checkbox') {
      return field.checked ? [field.dataset.option] : [];
    }
    return field.value === '' ? [] : [field.dataset.option, field.value];
  }

  function showFieldError(field, message) {
    const error = field.parentElement.querySelector('.error');
    error.id = error.id || field.id + '-error';
    field.setAttribute('aria-describedby', error.id);
    error.textContent = message;
    if (message === '') {
      field.removeAttribute('aria-invalid');
    } else {
      field.setAttribute('aria-invalid', 'true');
    }
  }

  // The arguments of the fields the runner takes, each tried after base and
  // the fields taken before it (a frame rate before a timecode); a field
  // that it refuses shows the runner's message and adds nothing. Refused
  // are a usage error other than the request's own without the field, and
  // any failure of a request that succeeds without it.
  function acceptedArguments(fields, base, after = []) {
    const args = [];
    const alone = runner.run([...base, ...after]);
    for (const field of fields) {
      const own = fieldArguments(field);
      const result = own.length === 0 ? {status: 0} : runner.run([...base, ...args, ...own, ...after]);
      const refused = result.status !== 0 && (alone.status === 0 ||
        (result.status === 2 && firstMessage(result.err) !== firstMessage(alone.err)));
      showFieldError(field, refused ? firstMessage(result.err) : '');
      args.push(...(refused ? [] : own));
    }
    return args;
  }

  const noteFields = () => [...document.querySelectorAll('#note-options [data-option]')];

  // The note table's request: the options taken, then the last calculated
  // pair, its tempo in microseconds when that field is filled.
  function noteRequest() {
    const microseconds = $('#opt-tempo-us');
    const options = acceptedArguments(noteFields(), ['--format', 'json'], ['--', ...pair]);
    let numbers = ['--', ...pair];
    if (microseconds.value !== '') {
      const tried = ['--tempo-us', '--', microseconds.value, pair[1]];
      const result = runner.run(['--format', 'json', ...options, ...tried]);
      const refused = result.status !== 0 && runner.run(['--format', 'json', ...options, '--', ...pair]).status === 0;
      showFieldError(microseconds, refused ? firstMessage(result.err) : '');
      numbers = refused ? numbers : tried;
    } else {
      showFieldError(microseconds, '');
    }
    return [...options, ...numbers];
  }

  function showOutput(container, result, draw) {
    if (result.cut) {
      container.replaceChildren(element('p', {class: 'error'}, texts.cut));
    } else if (result.status !== 0) {
      container.replaceChildren(element('p', {class: 'error'}, firstMessage(result.err)));
    } else {
      container.replaceChildren(...draw());
    }
  }

  // The form shows the plain table; this one only what the options add.
  function refreshNotes() {
    const args = noteRequest();
    if (args.indexOf('--') === 0) {
      $('#notes-out').replaceChildren();
      return;
    }
    const result = runner.run(['--format', 'json', '--lang', language, ...args]);
    const asCsv = runner.run(['--format', 'csv', '--lang', language, ...args]);
    showOutput($('#notes-out'), result, () => drawDocument(withTableTexts(parseJson(decoder.decode(result.out)), asCsv.out)));
  }

  function refreshTempoFor() {
    const ms = $('#for-ms').value;
    const note = $('#for-note').value;
    const out = $('#tempo-for-out');
    if (ms === '' && note === '') {
      $('#tempo-for-error').textContent = '';
      out.replaceChildren();
      return;
    }
    const result = runner.run(['--format', 'json', '--lang', language, '--tempo-for', ms, note]);
    $('#tempo-for-error').textContent = result.status === 0 ? '' : firstMessage(result.err);
    if (result.status === 0) {
      out.replaceChildren(...drawDocument(parseJson(decoder.decode(result.out))));
    } else {
      out.replaceChildren();
    }
  }

  // The last line that the runner said: the refusal after any warnings.
  const lastMessage = (err) => firstMessage(err.split('\n').filter((line) => line !== '').at(-1) || '');

  // ---- Fitting to picture: the hits and the fields are the arguments ----

  const fitFields = () => [...document.querySelectorAll('#fit-options [data-option]')];

  function refreshFit() {
    const hits = $('#fit-hits');
    const out = $('#fit-out');
    if (hits.value === '') {
      fitFields().concat(hits).forEach((field) => showFieldError(field, ''));
      out.replaceChildren();
      return;
    }
    const typed = fieldArguments(hits);
    const options = acceptedArguments(fitFields(), ['--format', 'json'], typed);
    const result = runner.run(['--format', 'json', '--lang', language, ...options, ...typed]);
    showFieldError(hits, result.status === 0 ? '' : firstMessage(result.err));
    const printed = result.status === 0 && !result.cut ? parseJson(decoder.decode(result.out)) : null;
    // A map that lands each hit (not a list of fits) can be written as one.
    $('#save-fit-map').disabled = !(printed instanceof Map && printed.has('tempos'));
    if (result.status === 0) {
      showOutput(out, result, () => drawDocument(printed));
    } else {
      out.replaceChildren();
    }
  }

  // ---- Writing MIDI files: the runner writes, the page offers the bytes ----

  const baseName = (name) => name.replace(/\.[^.]*$/, '');

  // The MIDI file that a request wrote, saved under the name given; its
  // report drawn into out, or the runner's message.
  function offerWritten(result, name, out, field) {
    const message = result.status === 0 ? '' : firstMessage(result.err);
    if (field) {
      showFieldError(field, message);
    }
    if (result.status !== 0 || result.written.length === 0) {
      out.replaceChildren(...(field ? [] : [element('p', {class: 'error'}, message)]));
      return;
    }
    out.replaceChildren(...drawDocument(parseJson(decoder.decode(result.out))));
    save(result.written, name, 'audio/midi');
  }

  async function saveTempoMap() {
    const name = baseName(openFile) + '-tempo-map.mid';
    const result = await runOnFile(['--format', 'json', '--lang', language, '--midi', openFile, '--write-tempo-map', name], false);
    offerWritten(result, name, $('#write-out'), null);
  }

  async function saveRetick() {
    const field = $('#opt-retick');
    const resolution = field.value.trim();
    const name = baseName(openFile) + '-' + resolution + '.mid';
    const result = await runOnFile(['--format', 'json', '--lang', language, '--midi', openFile, '--retick', resolution, '--write', name], false);
    offerWritten(result, name, $('#write-out'), field);
  }

  function saveFitMap() {
    const typed = fieldArguments($('#fit-hits'));
    const options = acceptedArguments(fitFields(), ['--format', 'json'], typed);
    const result = runner.run(['--format', 'json', '--lang', language, ...options, ...typed, '--write-tempo-map', 'tactimer-fit.mid']);
    offerWritten(result, 'tactimer-fit.mid', $('#fit-out'), $('#fit-hits'));
  }

  // ---- MIDI files, read in the worker ----

  let worker = null;
  let openFile = null;  // its name, while one is open
  let nextRequest = 0;
  const replies = new Map();

  function startWorker() {
    const url = URL.createObjectURL(new Blob(workerCode, {type: 'text/javascript'}));
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onerror = () => {
      $('#midi-error').textContent = texts.noWorker;
    };
    worker.onmessage = (event) => {
      const reply = event.data;
      replies.get(reply.id)?.(reply);
      replies.delete(reply.id);
    };
    worker.postMessage({kind: 'start', compiled});
  }

  // Runs a request on the open file; resolves to the worker's reply.
  function runOnFile(args, json) {
    const id = ++nextRequest;
    worker.postMessage({kind: 'run', id, args, json});
    return new Promise((resolve) => replies.set(id, resolve));
  }

  const midiFields = () => [...document.querySelectorAll('#midi-options [data-option]')];
  const lookupFields = () => midiFields().filter((field) => field.dataset.option !== '--table-at');

  // The lookups the runner takes, tried without a file (which it refuses
  // only after the arguments).
  function midiArguments(fields) {
    return acceptedArguments(fields, ['--midi', 'x']);
  }

  // Each output shows the last request made for it, whatever order the
  // replies come in.
  const latest = {report: 0, table: 0};

  function reading(out) {
    out.setAttribute('aria-busy', 'true');
    out.dataset.state = 'reading';
  }

  function shown(out, state) {
    out.setAttribute('aria-busy', 'false');
    out.dataset.state = state;
  }

  async function refreshReport() {
    if (openFile === null) {
      return;
    }
    const lookups = midiArguments(lookupFields());
    const id = ++latest.report;
    const out = $('#midi-out');
    reading(out);
    if (out.childElementCount === 0) {
      out.replaceChildren(element('p', {class: 'hint'}, texts.reading));
    }
    const request = ['--format', 'json', '--lang', language, '--midi', openFile];
    let report = await runOnFile([...request, ...lookups], true);
    if (id !== latest.report) {
      return;
    }
    // A lookup that only the file can refuse (a position it has not, a
    // timecode with no frame rate): said, and the report shown without them.
    let refusedLookup = '';
    if (report.status === 1 && !report.cut && lookups.length > 0) {
      const plain = await runOnFile(request, true);
      if (id !== latest.report) {
        return;
      }
      if (plain.status === 0 && !plain.cut) {
        refusedLookup = lastMessage(report.err);
        report = plain;
      }
    }
    if (report.status !== 0 || report.cut) {
      closeFile();
      $('#midi-error').textContent = report.cut ? texts.cut : firstMessage(report.err);
      shown(out, 'error');
      return;
    }
    $('#midi-error').textContent = refusedLookup;
    const warnings = report.err.split('\n').filter((line) => line !== '').map(firstMessage);
    const parts = drawDocument(report.parsed);
    if (warnings.length > 0) {
      parts.splice(1, 0, element('ul', {class: 'notes'}, ...warnings.map((line) => element('li', {}, line))));
    }
    out.replaceChildren(...parts);
    shown(out, 'shown');
  }

  // The note table at a tick's tempo, with the note options chosen above
  // (the tempo and the resolution come from the file).
  async function refreshTableAt() {
    const out = $('#table-at-out');
    const tableAt = midiArguments(midiFields().filter((field) => field.dataset.option === '--table-at'));
    const id = ++latest.table;
    if (openFile === null || tableAt.length === 0) {
      out.replaceChildren();
      delete out.dataset.state;
      return;
    }
    const notes = acceptedArguments(noteFields(), ['--midi', 'x', ...tableAt]);
    reading(out);
    const request = ['--lang', language, '--midi', openFile, ...tableAt, ...notes];
    const table = await runOnFile(['--format', 'json', ...request], true);
    const asCsv = await runOnFile(['--format', 'csv', ...request], false);
    if (id === latest.table && openFile !== null) {
      showOutput(out, table, () => drawDocument(withTableTexts(table.parsed, asCsv.out)));
      shown(out, 'shown');
    }
  }

  // Typing in the note options reads the file again only once it pauses.
  let tableTimer = 0;

  function scheduleTableAt() {
    if (openFile !== null && $('#opt-table-at').value !== '') {
      reading($('#table-at-out'));
      clearTimeout(tableTimer);
      tableTimer = setTimeout(refreshTableAt, 150);
    }
  }

  function openMidi(file) {
    $('#midi-error').textContent = '';
    if (file.size > kMaxFileBytes) {
      closeFile();
      $('#midi-error').textContent = texts.tooLarge(file.name);
      return;
    }
    if (worker === null) {
      startWorker();
    }
    worker.postMessage({kind: 'open', file});
    openFile = file.name;
    ['#midi-close', '#save-tempo-map', '#save-retick'].forEach((id) => ($(id).disabled = false));
    showSaveWhat();
    refreshReport();
    refreshTableAt();
  }

  function closeFile() {
    openFile = null;
    ++latest.report;
    ++latest.table;
    worker?.postMessage({kind: 'close'});
    ['#midi-close', '#save-tempo-map', '#save-retick'].forEach((id) => ($(id).disabled = true));
    $('#write-out').replaceChildren();
    $('#midi-file').value = '';
    for (const out of [$('#midi-out'), $('#table-at-out')]) {
      out.replaceChildren();
      delete out.dataset.state;
    }
    $('#midi-error').textContent = '';
    showSaveWhat();
  }

  // ---- Downloads: the runner's bytes as they are ----

  function showSaveWhat() {
    $('#save-what').textContent = openFile === null ? texts.noteTable : texts.report(openFile);
  }

  function save(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], {type}));
    const link = element('a', {href: url, download: name});
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  async function download(format) {
    const type = format === 'csv' ? 'text/csv;charset=utf-8' : 'application/json';
    const kind = ['--format', format, '--lang', language];
    if (openFile !== null) {
      const result = await runOnFile([...kind, '--midi', openFile, ...midiArguments(lookupFields())], false);
      if (result.status === 0 && !result.cut) {
        save(result.out, openFile.replace(/\.[^.]*$/, '') + '.' + format, type);
      } else {
        $('#midi-error').textContent = result.cut ? texts.cut : firstMessage(result.err);
      }
      return;
    }
    const result = runner.run([...kind, ...noteRequest()]);
    if (result.status === 0) {
      save(result.out, 'tactimer.' + format, type);
    } else {
      $('#form-error').textContent = firstMessage(result.err);
    }
  }

  // ---- Language ----

  function setLanguage(chosen) {
    language = chosen;
    texts = TEXTS[chosen];
    document.documentElement.lang = chosen;
    document.querySelectorAll('[data-text]').forEach((node) => (node.textContent = texts[node.dataset.text]));
    showCaptions();
    showSaveWhat();
    refreshNotes();
    refreshTempoFor();
    refreshReport();
    refreshTableAt();
    refreshFit();
  }

  // ---- Start ----

  async function loadModule() {
    const unpacked = await tactimerPacked;
    workerCode = unpacked.worker;
    compiled = await WebAssembly.compile(unpacked.wasm);
    runner = await startTactimer(compiled);
  }

  function connect() {
    $('#calculate').addEventListener('submit', (event) => {
      event.preventDefault();
      calculate();
    });
    noteFields().concat($('#opt-tempo-us')).forEach((field) => field.addEventListener('input', refreshNotes));
    noteFields().forEach((field) => field.addEventListener('input', scheduleTableAt));
    ['#for-ms', '#for-note'].forEach((id) => $(id).addEventListener('input', refreshTempoFor));
    $('#tempo-for').addEventListener('submit', (event) => event.preventDefault());
    midiFields().forEach((field) => {
      const refresh = field.dataset.option === '--table-at' ? refreshTableAt : refreshReport;
      field.addEventListener('change', refresh);
      field.addEventListener('keydown', (event) => event.key === 'Enter' && refresh());
    });
    fitFields().concat($('#fit-hits')).forEach((field) => field.addEventListener('input', refreshFit));
    $('#midi-file').addEventListener('change', (event) => event.target.files.length > 0 && openMidi(event.target.files[0]));
    $('#midi-close').addEventListener('click', () => closeFile());
    document.querySelectorAll('input[name="lang"]').forEach((radio) => radio.addEventListener('change', () => setLanguage(radio.value)));
    $('[data-id="download-csv"]').addEventListener('click', () => download('csv'));
    $('[data-id="download-json"]').addEventListener('click', () => download('json'));
    $('#save-tempo-map').addEventListener('click', saveTempoMap);
    $('#save-retick').addEventListener('click', saveRetick);
    $('#opt-retick').addEventListener('keydown', (event) => event.key === 'Enter' && saveRetick());
    $('#save-fit-map').addEventListener('click', saveFitMap);
    const hasFiles = (event) => [...event.dataTransfer.types].includes('Files');
    document.addEventListener('dragover', (event) => {
      if (hasFiles(event)) {
        event.preventDefault();
        document.body.classList.add('dragging');
      }
    });
    document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
    document.addEventListener('drop', (event) => {
      document.body.classList.remove('dragging');
      if (hasFiles(event) && event.dataTransfer.files.length > 0) {
        event.preventDefault();
        openMidi(event.dataTransfer.files[0]);
      }
    });
  }

  loadModule().then(() => {
    connect();
    setLanguage($('input[name="lang"]:checked').value);
    calculate();
    performance.mark('tactimer-first-results');
    document.body.dataset.state = 'ready';
  });
})();
