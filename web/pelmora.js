// Pelmora in the browser: loads the module (pelmora.wasm, the same core, form and presenter as
// the desktop windows), builds the window from the module's control table, and turns DOM events
// into presenter calls and presenter calls into DOM changes. Nothing here computes.
'use strict';
(() => {
  const fromUtf8 = new TextDecoder();
  const toUtf8 = new TextEncoder();
  const fields = [];
  const options = [];
  let module;  // the instance's exports
  let measure;  // what measures a field's text (prepareMeasure)

  const bytes = (address, length) => new Uint8Array(module.memory.buffer, address, length);
  const text = (address, length) => fromUtf8.decode(bytes(address, length));
  // Writes `value` into the module's exchange buffer, as UTF-8.
  function handOver(value) {
    const room = value.length * 3;
    const { written } = toUtf8.encodeInto(value, bytes(module.pelmora_exchange(room), room));
    module.pelmora_exchange(written);
  }
  const exchanged = length => text(module.pelmora_exchange(length), length);

  // The user's number settings from the browser's languages, as Intl writes numbers there:
  // the module's record (web_window.h, ReadNumberFormat). Its numbers are made again when the
  // languages change.
  let numbers = [];
  function numberFormatRecord() {
    const languages = navigator.languages.join();
    if (numbers[0] !== languages) numbers = [languages, new Intl.NumberFormat(navigator.languages)];
    const parts = numbers[1].formatToParts(-123456789012.5);
    const first = type => parts.find(part => part.type === type);
    // Group sizes from the decimal symbol leftwards; the leftmost group may be short, and a
    // size that repeats to the left is said once.
    const sizes = parts.filter(part => part.type === 'integer').map(part => part.value.length);
    sizes.shift();
    sizes.reverse();
    while (sizes.length > 1 && sizes.at(-1) === sizes.at(-2)) sizes.pop();
    const minus = parts.findIndex(part => part.type === 'minusSign');
    const number = parts.findIndex(part => part.type === 'integer');
    const spaced = index => /\s/.test(parts[index]?.type === 'literal' ? parts[index].value : '');
    const negative = minus < number ? (spaced(minus + 1) ? 2 : 1) : (spaced(minus - 1) ? 4 : 3);
    const leadingZero = numbers[1].formatToParts(0.5).some(part => part.type === 'integer');
    return [first('decimal')?.value ?? '.', first('group')?.value ?? '', sizes.join(','),
            leadingZero ? 1 : 0, negative].join('\t');
  }

  // What the module calls: the view's Surface (web_window.h), and the regional settings.
  const page = {
    show_field_text(field, address, length) {
      const input = fields[field];
      const value = text(address, length);
      if (input.value === value) return;
      input.value = value;
      // A program's text is shown from its first character, as a number is read.
      input.setSelectionRange(0, 0);
    },
    field_fits(field, points) {
      const input = fields[field];
      if (!input.value) return 1;
      if (!measure) prepareMeasure();
      const weight = input.classList.contains('computed') ? 'bold' : 'normal';
      if (measure.text !== weight + input.value) {
        measure.text = weight + input.value;
        measure.width = measure[weight].measureText(input.value).width;
      }
      // Glyphs widen with the size: a text's width at `points` is its width at the field's size,
      // scaled.
      return measure.width * points / description.points <= measure.room ? 1 : 0;
    },
    show_field_points(field, points, cut) {
      fields[field].style.fontSize = points === description.points ? '' : `${points}pt`;
      fields[field].parentElement.title = cut ? fields[field].value : '';
    },
    show_field_locked(field, locked) { fields[field].readOnly = locked !== 0; },
    show_selected_variant(variant) { options[variant].checked = true; },
    report_failure(address, length) { showFailure(text(address, length)); },
    announce(address, length) {
      // A polite live region speaks a change: the same results twice differ by a no-break
      // space, which is not spoken.
      const region = document.getElementById('announcement');
      const said = text(address, length);
      region.textContent = region.textContent === said ? `${said}\u00a0` : said;
    },
    number_format(address, capacity) {
      return toUtf8.encodeInto(numberFormatRecord(), bytes(address, capacity)).written;
    },
  };
  // Of WASI the module needs only an error output, for the C library's last words before it
  // ends (an abort): the console.
  const wasi = {
    fd_write(fd, vectors, count, writtenAddress) {
      const memory = new DataView(module.memory.buffer);
      let said = '';
      let written = 0;
      for (let i = 0; i < count; i++) {
        const length = memory.getUint32(vectors + 8 * i + 4, true);
        said += text(memory.getUint32(vectors + 8 * i, true), length);
        written += length;
      }
      console.error(said);
      memory.setUint32(writtenAddress, written, true);
      return 0;
    },
    fd_seek: () => 70,  // ESPIPE: the error output is no file
    fd_close: () => 0,
  };

  let description;

  // What measures a field's text: a canvas for each weight at the field's size (setting a
  // canvas's font costs milliseconds now and then), the room a field has, and the last text
  // measured, which FittingPoints asks about at several sizes.
  function prepareMeasure() {
    const style = getComputedStyle(fields[0]);
    measure = { room: fields[0].clientWidth - parseFloat(style.paddingLeft) -
                      parseFloat(style.paddingRight) };
    for (const weight of ['normal', 'bold']) {
      measure[weight] = document.createElement('canvas').getContext('2d');
      measure[weight].font = `${weight} ${description.points}pt ${style.fontFamily}`;
      measure[weight].measureText('0123456789,.');
    }
  }
  const element = (tag, className, content) => {
    const made = document.createElement(tag);
    if (className) made.className = className;
    if (content) made.textContent = content;
    return made;
  };

  // One maker per kind of control, as the desktop windows have.
  const makers = {
    label: row => element('div', 'label', row.caption),
    option(row) {
      const input = element('input');
      input.type = 'radio';
      input.name = 'variant';
      input.addEventListener('change', () => module.pelmora_option_selected(row.index));
      options[row.index] = input;
      const option = element('label', 'option');
      option.append(input, element('span', '', row.caption));
      return option;
    },
    button(row) {
      const button = element('button', 'button', row.caption);
      button.type = 'button';
      button.addEventListener('click', () => module.pelmora_button_pressed(row.index));
      return button;
    },
    field(row) {
      const input = element('input', row.computed ? 'field computed' : 'field');
      Object.assign(input, { type: 'text', inputMode: 'decimal', autocomplete: 'off',
                             spellcheck: false, disabled: row.computed });
      input.setAttribute('autocapitalize', 'off');
      input.setAttribute('aria-label', row.accessibleName);
      // The cell holds the tooltip, and takes the clicks that a disabled field lets through.
      const cell = element('span', 'cell');
      input.addEventListener('input', () => {
        // What the user types keeps the field's own size and scrolls.
        input.style.fontSize = '';
        cell.title = '';
        handOver(input.value);
        module.pelmora_field_text_changed(row.index);
      });
      fields[row.index] = input;
      cell.append(input);
      return cell;
    },
    statement() {
      const statement = element('textarea', 'statement');
      statement.readOnly = true;
      statement.value = description.statement;
      statement.setAttribute('aria-label', description.statementName);
      return statement;
    },
  };

  function build() {
    const client = document.getElementById('client');
    const style = document.documentElement.style;
    style.setProperty('--points', `${description.points}pt`);
    style.setProperty('--computed', description.computedBackground);
    style.setProperty('--disabled-text', description.disabledText);
    Object.assign(client.style, { width: `${description.width}px`,
                                  height: `${description.height}px`,
                                  background: description.background });
    fit();  // while the window is empty, its layout costs nothing
    // The page's order is the tab order: Tab, screen readers and the option group's arrow keys
    // follow it, and a later control is drawn over an earlier one it overlaps.
    const rows = [...description.controls].sort((a, b) => a.tabIndex - b.tabIndex);
    for (const row of rows) {
      const control = makers[row.kind](row);
      const [left, top, width, height] = row.rect;
      control.id = row.name;
      Object.assign(control.style, { left: `${left}px`, top: `${top}px`, width: `${width}px`,
                                     height: `${height}px` });
      if (row.background) control.style.background = row.background;
      client.append(control);
    }
  }

  function showFailure(message) {
    const dialog = document.getElementById('failure');
    const returnTo = document.activeElement;
    document.getElementById('failure-text').textContent = message;
    dialog.addEventListener('close', () => returnTo?.focus(), { once: true });
    dialog.showModal();
  }

  // The desktop window's keys: Tab goes round the window, Enter and Esc do nothing special
  // (Space presses a button, as the browser does), Ctrl+Shift+C copies the selected row.
  function onKey(event) {
    if (event.target.closest('dialog')) return;
    if (event.key === 'Enter' && event.target.type === 'button') {
      event.preventDefault();
    } else if (event.key === 'Tab') {
      const stops = [...document.querySelectorAll('#client :is(input, button, textarea)')]
        .filter(control => !control.disabled && (control.type !== 'radio' || control.checked));
      const at = stops.indexOf(event.target);
      if (at === (event.shiftKey ? 0 : stops.length - 1)) {
        event.preventDefault();
        stops.at(event.shiftKey ? -1 : 0).focus();
      }
    } else if (event.ctrlKey && event.shiftKey && event.code === 'KeyC') {
      event.preventDefault();
      navigator.clipboard.writeText(exchanged(module.pelmora_copied_row_text()));
    }
  }

  // A click on what takes no focus (a caption, a computed field, the background) leaves the
  // focus where it is, as in the desktop window. (Chrome sends no mouse events to a disabled
  // field, yet takes the focus away: a disabled field lets clicks through to its cell.)
  function onPress(event) {
    if (!event.target.closest('input:enabled, button, textarea, label')) event.preventDefault();
  }

  // A computed field, which cannot be selected, has a context menu of its own: «Копирай» puts
  // its text on the clipboard without grouping symbols. (A field that takes typing keeps the
  // browser's menu.)
  function onMenu(event) {
    const input = event.target.querySelector?.('input:disabled');
    if (!input) return;
    event.preventDefault();
    const menu = document.getElementById('menu');
    menu.field = fields.indexOf(input);
    Object.assign(menu.style, { left: `${event.clientX}px`, top: `${event.clientY}px` });
    menu.showPopover();
  }
  function copyField() {
    const menu = document.getElementById('menu');
    navigator.clipboard.writeText(exchanged(module.pelmora_copied_field_text(menu.field)));
    menu.hidePopover();
  }

  // Keeps the window's proportions and scales it to fit the viewport, at most twice its size.
  function fit() {
    const frame = document.getElementById('window');
    const margin = innerWidth > frame.offsetWidth ? 8 : 0;
    const scale = Math.min((innerWidth - 2 * margin) / frame.offsetWidth,
                           (innerHeight - 2 * margin) / frame.offsetHeight, 2);
    frame.style.setProperty('--scale', scale);
    frame.style.top = `${margin}px`;
  }

  // The module, compiled: the page's head starts that as it is read (index.html), pelmora.html
  // carries the module's bytes.
  async function compile() {
    const inline = document.getElementById('pelmora-wasm');
    if (inline) {
      return WebAssembly.compile(Uint8Array.from(atob(inline.textContent), c => c.charCodeAt(0)));
    }
    // Nothing where a server does not call it application/wasm.
    return (await window.pelmoraModule) ??
           WebAssembly.compile(await (await fetch('pelmora.wasm')).arrayBuffer());
  }

  // What the first calculation would otherwise wait for, readied half a second after the window
  // is shown, so that it delays no early click. Intl's first use readies the browser's number
  // data, for tens of milliseconds; readied once, it serves every thread of the page, so a
  // worker does that. Then, when the page is idle, the module runs a calculation of its own
  // and the canvases measure.
  function prepare() {
    const ready = () => requestIdleCallback(() => {
      module.pelmora_prepare();
      prepareMeasure();
    });
    try {
      const warm = 'new Intl.NumberFormat(navigator.languages).formatToParts(1); postMessage(0)';
      const worker = new Worker(URL.createObjectURL(new Blob([warm], { type: 'text/javascript' })));
      worker.onmessage = () => {
        worker.terminate();
        ready();
      };
      worker.onerror = ready;
    } catch {
      ready();
    }
  }

  async function start() {
    const imports = { pelmora: page, wasi_snapshot_preview1: wasi };
    module = (await WebAssembly.instantiate(await compile(), imports)).exports;
    module._initialize();
    description = JSON.parse(exchanged(module.pelmora_describe_window()));
    build();
    module.pelmora_start();
    addEventListener('resize', fit);
    document.addEventListener('keydown', onKey);
    document.getElementById('client').addEventListener('mousedown', onPress);
    document.getElementById('client').addEventListener('contextmenu', onMenu);
    const copy = document.querySelector('#menu button');
    copy.textContent = description.copyCaption;
    copy.addEventListener('click', copyField);
    document.querySelector('#failure button').addEventListener('click', () => {
      document.getElementById('failure').close();
    });
    // Focus starts on the task statement, at its first line.
    const statement = document.getElementById('Text1_0');
    statement.setSelectionRange(0, 0);
    statement.focus({ preventScroll: true });
    setTimeout(prepare, 500);
    if (location.protocol.startsWith('http') && 'serviceWorker' in navigator) {
      navigator.serviceWorker.register('sw.js');
    }
  }

  start();
})();
