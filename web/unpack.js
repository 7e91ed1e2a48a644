// The page's WebAssembly and scripts come packed in one gzip stream, so
// that the page is one small file: this unpacks them and runs the page's.
// Each part is its length (4 bytes, little-endian) and its bytes: the
// module, emscripten's factory, the runner's script, the worker's script
// and the page's.
'use strict';

// Base85 as RFC 1924 spells it (Python's b85encode), a quarter denser than
// base64: four bytes a five-character group, a last group shortened.
function fromBase85(text) {
  const alphabet = '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!#$%&()*+-;<=>?@^_`{|}~';
  const digits = new Uint8Array(128);
  for (let i = 0; i < 85; ++i) {
    digits[alphabet.charCodeAt(i)] = i;
  }
  const bytes = new Uint8Array(Math.ceil(text.length / 5) * 4);
  for (let at = 0; at < text.length; at += 5) {
    // A shortened group is read as if its missing digits were the largest.
    let value = 0;
    for (let i = at; i < at + 5; ++i) {
      value = value * 85 + (i < text.length ? digits[text.charCodeAt(i)] : 84);
    }
    for (let i = 3; i >= 0; --i) {
      bytes[(at / 5) * 4 + i] = value % 256;
      value = Math.floor(value / 256);
    }
  }
  return bytes.subarray(0, text.length - Math.ceil(text.length / 5));
}

const tactimerPacked = (async () => {
  const packed = fromBase85(document.getElementById('tactimer-packed').textContent.trim());
  const unpacked = new Response(new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip')));
  const bytes = new Uint8Array(await unpacked.arrayBuffer());
  const parts = [];
  for (let at = 0; at < bytes.length;) {
    const size = new DataView(bytes.buffer, at, 4).getUint32(0, true);
    parts.push(bytes.subarray(at + 4, at + 4 + size));
    at += 4 + size;
  }
  const decoder = new TextDecoder();
  const [wasm, ...scripts] = parts;
  const [factory, runner, worker, page] = scripts.map((part) => decoder.decode(part));
  for (const code of [factory, runner, page]) {
    const script = document.createElement('script');
    script.textContent = code;
    document.body.append(script);
  }
  // The worker is made of the factory, the runner's script and its own.
  return {wasm, worker: [factory, runner, worker].map((code) => code + '\n')};
})();
