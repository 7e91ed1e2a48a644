// The page's worker: runs the requests that read a MIDI file, so that a
// large one never stops the page. It keeps the file (a File, read a slice
// at a time, or bytes already in memory) until the page closes it, and
// reads it afresh for each request, as tactimer-cli would.
'use strict';

// Read from the file in large slices, handed to the reader in its own
// smaller ones.
const kSliceBytes = 4 * 1024 * 1024;

let runner = null;
const waiting = [];
let file = null;
let slice = {start: 0, bytes: new Uint8Array(0)};

function readFile(position, capacity) {
  if (file instanceof Uint8Array) {
    return file.subarray(position, position + capacity);
  }
  const offset = position - slice.start;
  if (offset < 0 || offset >= slice.bytes.length) {
    try {
      const read = new FileReaderSync().readAsArrayBuffer(file.slice(position, position + kSliceBytes));
      slice = {start: position, bytes: new Uint8Array(read)};
    } catch (error) {
      return null;
    }
    return slice.bytes.subarray(0, capacity);
  }
  return slice.bytes.subarray(offset, offset + capacity);
}

function handle(message) {
  if (message.kind === 'open') {
    file = message.file instanceof ArrayBuffer ? new Uint8Array(message.file) : message.file;
    slice = {start: 0, bytes: new Uint8Array(0)};
    runner.sources[1] = readFile;
    return;
  }
  if (message.kind === 'close') {
    file = null;
    slice = {start: 0, bytes: new Uint8Array(0)};
    runner.sources[1] = null;
    return;
  }
  const started = performance.now();
  const result = runner.run(message.args);
  const took = performance.now() - started;
  let parsed = null;
  if (message.json && result.status === 0 && !result.cut) {
    parsed = parseJson(new TextDecoder().decode(result.out));
  }
  const out = result.out.buffer;
  const written = result.written.buffer;
  postMessage({id: message.id, status: result.status, err: result.err, cut: result.cut, out,
               written: result.written, parsed, took},
              [out, written]);
}

onmessage = (event) => {
  const message = event.data;
  if (message.kind === 'start') {
    startTactimer(message.compiled).then((started) => {
      runner = started;
      waiting.splice(0).forEach(handle);
    });
  } else if (runner === null) {
    waiting.push(message);
  } else {
    handle(message);
  }
};
