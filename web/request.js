// The request runner from script, for the page and its worker alike:
// arguments in as tactimer-cli takes them, what it prints out, byte for
// byte. Nothing here computes or formats a number of a result: every text
// the page shows is printed by the runner.
'use strict';

// Starts the runner on a compiled WebAssembly module. sources[0] is
// standard input, sources[1] the file; each is null or a function
// read(position, capacity) that returns a Uint8Array of at most capacity
// bytes from position (empty at the end), or null when it cannot be read.
function startTactimer(compiled) {
  const sources = [null, null];
  const positions = [0, 0];
  let module = null;
  return TactimerModule({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
      return {};
    },
    openSource(source) {
      positions[source] = 0;
      return sources[source] !== null;
    },
    readSource(source, pointer, capacity) {
      if (sources[source] === null) {
        return 0;
      }
      const bytes = sources[source](positions[source], capacity);
      if (bytes === null) {
        return -1;
      }
      module.HEAPU8.set(bytes, pointer);
      positions[source] += bytes.length;
      return bytes.length;
    },
  }).then((started) => {
    module = started;
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();
    const printed = (stream) => {
      const at = module._tactimer_printed(stream);
      return module.HEAPU8.slice(at, at + module._tactimer_printed_size(stream));
    };
    return {
      sources,
      // {status, out: the bytes of standard output, err: standard error's
      // text, cut: whether the output was more than the page keeps,
      // written: the MIDI file written to a name, empty when none was}.
      run(args) {
        const bytes = encoder.encode(args.map((arg) => arg + '\0').join(''));
        const at = module._tactimer_argument_bytes(bytes.length);
        if (at === 0) {
          return {status: -1, out: new Uint8Array(0), err: '', cut: true};
        }
        module.HEAPU8.set(bytes, at);
        const status = module._tactimer_run(args.length);
        return {
          status,
          out: printed(0),
          err: decoder.decode(printed(1)),
          cut: module._tactimer_printed_cut(0) !== 0,
          written: module.HEAPU8.slice(module._tactimer_written(), module._tactimer_written() + module._tactimer_written_size()),
        };
      },
    };
  });
}

// The first line of what the runner said on standard error, without the
// program's name, which names nothing on a page.
function firstMessage(err) {
  const line = err.split('\n')[0];
  return line.startsWith('tactimer-cli: ') ? line.slice('tactimer-cli: '.length) : line;
}

// JSON as the runner writes it, its numbers kept as the texts it printed
// ("62.50" stays "62.50"): objects become Maps in their order, numbers
// {n: text}, strings, booleans and null themselves.
function parseJson(text) {
  let at = 0;
  const fail = () => {
    throw new SyntaxError('not JSON at ' + at);
  };
  const space = () => {
    while (' \t\r\n'.includes(text[at]) && at < text.length) {
      at++;
    }
  };
  const literal = (word, value) => {
    if (text.startsWith(word, at)) {
      at += word.length;
      return value;
    }
    return fail();
  };
  const string = () => {
    const start = at++;
    while (text[at] !== '"') {
      if (at >= text.length) {
        fail();
      }
      at += text[at] === '\\' ? 2 : 1;
    }
    at++;
    return JSON.parse(text.slice(start, at));
  };
  const value = () => {
    space();
    const c = text[at];
    if (c === '{' || c === '[') {
      const object = c === '{';
      const result = object ? new Map() : [];
      at++;
      space();
      if (text[at] === (object ? '}' : ']')) {
        at++;
        return result;
      }
      for (;;) {
        if (object) {
          space();
          const key = text[at] === '"' ? string() : fail();
          space();
          if (text[at++] !== ':') {
            fail();
          }
          result.set(key, value());
        } else {
          result.push(value());
        }
        space();
        const next = text[at++];
        if (next === (object ? '}' : ']')) {
          return result;
        }
        if (next !== ',') {
          fail();
        }
      }
    }
    if (c === '"') {
      return string();
    }
    if (c === 't') {
      return literal('true', true);
    }
    if (c === 'f') {
      return literal('false', false);
    }
    if (c === 'n') {
      return literal('null', null);
    }
    const number = /-?\d+(\.\d+)?([eE][-+]?\d+)?/y;
    number.lastIndex = at;
    const match = number.exec(text);
    if (match === null) {
      fail();
    }
    at += match[0].length;
    return {n: match[0]};
  };
  const result = value();
  space();
  if (at !== text.length) {
    fail();
  }
  return result;
}
