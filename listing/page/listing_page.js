'use strict';
// The listing page: reads the entries the console tool wrote as data blocks, and shows them
// as a tree of which only the rows on screen are in the document at any time.
(() => {
  const ROW_HEIGHT = 22; // px, the --row of the style sheet
  // Browsers cap an element's height (Firefox near 1.8e7 px); longer lists scroll scaled.
  const MAX_SPACER_HEIGHT = 8e6;
  const PRINT_LIMIT = 100000; // rows put on paper at most
  const FILE = 0, FOLDER = 1, NOT_ENTERED = 2; // kinds of entry
  // Record types in the data blocks.
  const R_FILE = 0, R_ENTERED = 1, R_NOT_ENTERED = 2, R_END = 3, R_UNREADABLE = 4;

  // Entries by index, in listing order; 0 is the folder listed. Typed arrays: a million
  // entries in plain arrays took three times as long to gather.
  let kinds, sizes, times, parents, depths;
  let firstChild, nextSibling; // -1: none
  let nameStarts; // where each name starts in allNames
  let allNames = ''; // every name but the root's, in order, joined by '/'
  let rootName = '';
  const errors = new Map(); // folder index -> why it could not be read
  let count = 0;
  let files, folders, bytes; // subtree totals of each folder
  let expanded; // 1 for a folder whose entries are shown
  let visible = []; // the entries shown as rows, in order
  let rowOf; // row of each entry in `visible`, -1 when hidden
  let sortKey = 'name';
  const sortedChildren = new Map(); // folder -> its children in the order of sortKey
  let searchText = null; // allNames lower-cased
  let searchStarts = null; // where each entry's name starts in searchText
  let query = '';
  let hits = [];
  let hit = -1; // the match stepped to
  let selected = -1;
  let tree, spacer, rows;
  const pool = [];
  let renderQueued = false;

  const numberFormat = new Intl.NumberFormat('en-US');
  const $ = (id) => document.getElementById(id);

  const nameOf = (i) => i === 0 ? rootName
    : allNames.slice(nameStarts[i], i + 1 < count ? nameStarts[i + 1] - 1 : allNames.length);

  // A page whose writing was cut short (a full disk) ends after its last whole block, so
  // every block parses; one that does not is left out rather than stop the page.
  function parseBlock(text) {
    try {
      return JSON.parse(text);
    } catch (error) {
      return null;
    }
  }

  // How many entries a block's records hold: a folder's end is one number, a file three, any
  // other entry two.
  function entriesIn(r) {
    let entries = 0;
    for (let k = 0, length = r.length; k < length; ) {
      const type = r[k];
      if (type === R_END) {
        k += 1;
        continue;
      }
      k += type === R_FILE ? 3 : 2;
      ++entries;
    }
    return entries;
  }

  // Gathers the entries from the data blocks into arrays local to this function, sized once
  // from a count of every block's entries: grown as the blocks came, copying them at each
  // doubling took a third of the loading time at a million entries, and grown as shared
  // variables they made the loop lose its compiled code at each growth.
  function load() {
    rootName = JSON.parse($('listing-info').textContent).root;
    const blocks = [];
    let total = 1; // the root
    for (const block of document.querySelectorAll('script.listing-data')) {
      const data = parseBlock(block.textContent);
      block.remove(); // its text is not needed again
      if (data === null) continue;
      total += entriesIn(data.r);
      blocks.push(data);
    }
    const kind = new Uint8Array(total);
    const size = new Float64Array(total);
    const time = new Float64Array(total);
    const parent = new Int32Array(total);
    const depth = new Int32Array(total);
    const first = new Int32Array(total);
    const next = new Int32Array(total);
    const starts = new Float64Array(total);
    first.fill(-1);
    next.fill(-1);
    kind[0] = FOLDER;
    time[0] = NaN;
    parent[0] = -1;
    const lastChild = [-1]; // per open folder, its last child so far
    const open = [0];
    const nameBlocks = [];
    let at = 0; // offset of the next block's names in allNames
    let n = 1;
    for (let b = 0; b < blocks.length; ++b) {
      const data = blocks[b];
      blocks[b] = null; // its records are not needed again
      const r = data.r;
      const blockErrors = data.e || [];
      const names = data.n;
      let nameAt = 0; // in this block's names
      let errorAt = 0;
      for (let k = 0, length = r.length; k < length; ) {
        const type = r[k++];
        if (type === R_END) {
          if (open.length > 1) {
            open.pop();
            lastChild.pop();
          }
          continue;
        }
        const i = n++;
        const top = open.length - 1;
        const p = open[top];
        starts[i] = at + nameAt;
        const slash = names.indexOf('/', nameAt);
        nameAt = slash < 0 ? names.length + 1 : slash + 1;
        if (type === R_FILE) size[i] = r[k++];
        time[i] = r[k++];
        if (type === R_UNREADABLE) errors.set(i, blockErrors[errorAt++]);
        kind[i] = type === R_FILE ? FILE : type === R_ENTERED ? FOLDER : NOT_ENTERED;
        parent[i] = p;
        depth[i] = depth[p] + 1;
        if (lastChild[top] < 0) first[p] = i; else next[lastChild[top]] = i;
        lastChild[top] = i;
        if (type === R_ENTERED) {
          open.push(i);
          lastChild.push(-1);
        }
      }
      if (nameAt > 0) {
        nameBlocks.push(names);
        at += names.length + 1;
      }
    }
    kinds = kind;
    sizes = size;
    times = time;
    parents = parent;
    depths = depth;
    firstChild = first;
    nextSibling = next;
    nameStarts = starts;
    count = n;
    allNames = nameBlocks.join('/');
    // Children come after their folder, so one backward pass sums every subtree.
    files = new Float64Array(count);
    folders = new Float64Array(count);
    bytes = new Float64Array(count);
    for (let i = count - 1; i > 0; --i) {
      const p = parents[i];
      if (kinds[i] === FILE) {
        files[p] += 1;
        bytes[p] += sizes[i];
      } else {
        folders[p] += 1 + folders[i];
        files[p] += files[i];
        bytes[p] += bytes[i];
      }
    }
    expanded = new Uint8Array(count);
    expanded[0] = 1;
    rowOf = new Int32Array(count);
  }

  // Sizes as Windows Explorer shows them (1 KB = 1,024 bytes).
  function humanSize(n) {
    if (n < 1024) return n + ' B';
    const units = ['KB', 'MB', 'GB', 'TB', 'PB', 'EB'];
    let value = n / 1024;
    let unit = 0;
    while (value >= 1024 && unit < units.length - 1) {
      value /= 1024;
      ++unit;
    }
    return (value < 10 ? value.toFixed(1) : Math.round(value)) + ' ' + units[unit];
  }
  const exactBytes = (n) => numberFormat.format(n) + (n === 1 ? ' byte' : ' bytes');
  const plural = (n, one, many) => numberFormat.format(n) + ' ' + (n === 1 ? one : many);
  const two = (n) => (n < 10 ? '0' : '') + n;
  function dateText(seconds, withSeconds) {
    if (!Number.isFinite(seconds)) return '';
    const d = new Date(seconds * 1000);
    const text = d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate()) + ' ' +
      two(d.getHours()) + ':' + two(d.getMinutes());
    return withSeconds ? text + ':' + two(d.getSeconds()) : text;
  }
  function contentsText(i) {
    return plural(files[i], 'file', 'files') + ', ' + plural(folders[i], 'folder', 'folders');
  }

  // A folder's children in the order chosen, made when the folder is first shown.
  function childrenOf(i) {
    let list = sortedChildren.get(i);
    if (list) return list;
    list = [];
    for (let j = firstChild[i]; j >= 0; j = nextSibling[j]) list.push(j);
    if (sortKey !== 'name' && list.length > 1) {
      const value = sortKey === 'size' ? (j) => (kinds[j] === FILE ? sizes[j] : bytes[j])
                                       : (j) => times[j];
      list.sort((a, b) => value(b) - value(a) || a - b);
    }
    sortedChildren.set(i, list);
    return list;
  }
  const opens = (i) => kinds[i] === FOLDER && firstChild[i] >= 0;

  // The rows: every entry whose folders above it are all expanded, depth first.
  function rebuild() {
    visible = [];
    const lists = [childrenOf(0)];
    const at = [0];
    while (lists.length > 0) {
      const top = lists.length - 1;
      const list = lists[top];
      if (at[top] >= list.length) {
        lists.pop();
        at.pop();
        continue;
      }
      const i = list[at[top]++];
      visible.push(i);
      if (expanded[i] && opens(i)) {
        lists.push(childrenOf(i));
        at.push(0);
      }
    }
    rowOf.fill(-1);
    for (let r = 0; r < visible.length; ++r) rowOf[visible[r]] = r;
    queueRender();
  }

  function queueRender() {
    if (renderQueued) return;
    renderQueued = true;
    requestAnimationFrame(render);
  }

  // Scroll position <-> row: one to one while the list fits MAX_SPACER_HEIGHT, scaled beyond.
  function layout() {
    const total = visible.length * ROW_HEIGHT;
    const height = Math.min(total, MAX_SPACER_HEIGHT);
    const view = tree.clientHeight;
    const scale = height > view && total > height ? (total - view) / (height - view) : 1;
    return { total, height, view, scale };
  }

  function render() {
    renderQueued = false;
    const { height, view, scale } = layout();
    const heightText = height + 'px';
    if (spacer.style.height !== heightText) spacer.style.height = heightText;
    const scrollTop = tree.scrollTop;
    const top = scrollTop * scale;
    const first = Math.max(0, Math.floor(top / ROW_HEIGHT));
    const shown = Math.max(0, Math.min(visible.length - first, Math.ceil(view / ROW_HEIGHT) + 2));
    rows.style.transform = 'translateY(' + (scrollTop + first * ROW_HEIGHT - top) + 'px)';
    while (pool.length < shown) pool.push(makeRow(rows));
    for (let r = 0; r < pool.length; ++r) {
      const row = pool[r];
      if (r < shown) {
        fillRow(row, visible[first + r]);
        row.hidden = false;
      } else {
        row.hidden = true;
        row.entry = -1;
      }
    }
  }

  function makeRow(container) {
    const row = document.createElement('div');
    row.className = 'row';
    row.setAttribute('role', 'treeitem');
    const span = (className) => {
      const part = document.createElement('span');
      if (className) part.className = className;
      return part;
    };
    const name = span('name');
    const twisty = span('twisty');
    const label = span('label');
    const note = span('');
    name.append(twisty, label, note);
    const size = span('size');
    const date = span('date');
    const contents = span('contents');
    row.append(name, size, date, contents);
    row.parts = { name, twisty, label, note, size, date, contents };
    row.entry = -1;
    container.append(row);
    return row;
  }

  // Writes the entry's name into `label`, the matches of the search marked, and returns it.
  // Names are only ever text nodes: whatever a name holds, it is never read as markup.
  function fillLabel(label, i) {
    const text = nameOf(i);
    label.textContent = '';
    const lower = query ? text.toLowerCase() : '';
    // Marking needs the lower-cased name to line up with the name, which holds for all but a
    // few letters (İ grows when lower-cased).
    if (!query || lower.length !== text.length) {
      label.append(text);
      return text;
    }
    let from = 0;
    for (let at = lower.indexOf(query); at >= 0; at = lower.indexOf(query, at + query.length)) {
      if (at > from) label.append(text.slice(from, at));
      const mark = document.createElement('mark');
      mark.textContent = text.slice(at, at + query.length);
      label.append(mark);
      from = at + query.length;
    }
    if (from < text.length) label.append(text.slice(from));
    return text;
  }

  function fillRow(row, i) {
    const p = row.parts;
    row.entry = i;
    row.classList.toggle('current', hits[hit] === i);
    row.classList.toggle('selected', i === selected);
    const kind = kinds[i];
    row.classList.toggle('folder', kind !== FILE);
    row.setAttribute('aria-level', depths[i]);
    p.name.style.paddingLeft = (depths[i] - 1) * 18 + 'px';
    if (opens(i)) {
      row.setAttribute('aria-expanded', expanded[i] ? 'true' : 'false');
      p.twisty.textContent = expanded[i] ? '\u25BE' : '\u25B8';
    } else {
      row.removeAttribute('aria-expanded');
      p.twisty.textContent = '';
    }
    p.name.title = fillLabel(p.label, i);
    if (errors.has(i)) {
      p.note.className = 'error';
      p.note.textContent = '  (not read: ' + errors.get(i) + ')';
    } else if (kind === NOT_ENTERED) {
      p.note.className = 'note';
      p.note.textContent = '  (not entered)';
    } else {
      p.note.className = '';
      p.note.textContent = '';
    }
    const n = kind === FILE ? sizes[i] : bytes[i];
    p.size.textContent = kind === FILE || kind === FOLDER ? humanSize(n) : '';
    p.size.title = kind === FILE || kind === FOLDER ? exactBytes(n) : '';
    p.size.dataset.bytes = n;
    p.date.textContent = dateText(times[i], false);
    p.date.title = dateText(times[i], true);
    p.contents.textContent = kind === FOLDER ? contentsText(i) : '';
  }

  function scrollToRow(r) {
    const { view, scale } = layout();
    const rowTop = r * ROW_HEIGHT;
    const top = tree.scrollTop * scale;
    if (rowTop < top || rowTop + ROW_HEIGHT > top + view) {
      tree.scrollTop = Math.max(0, rowTop - view / 2) / scale;
    }
    queueRender();
  }

  function toggle(i, open) {
    if (!opens(i)) return;
    const want = open === undefined ? !expanded[i] : open;
    if (!!expanded[i] === want) return;
    expanded[i] = want ? 1 : 0;
    rebuild();
  }

  function showEntry(i) {
    let hidden = false;
    for (let p = parents[i]; p > 0; p = parents[p]) {
      if (!expanded[p]) {
        expanded[p] = 1;
        hidden = true;
      }
    }
    if (hidden) rebuild();
    select(i);
  }

  function select(i) {
    selected = i;
    if (i >= 0 && rowOf[i] >= 0) scrollToRow(rowOf[i]);
    queueRender();
  }

  // Search: all names lower-cased once, after the first rows are drawn, so that a search is
  // one indexOf pass over one string.
  function buildSearchIndex() {
    if (searchText !== null) return;
    searchText = allNames.toLowerCase();
    if (searchText.length === allNames.length) {
      searchStarts = nameStarts;
      return;
    }
    // A few letters change length when lower-cased (İ): then name by name.
    const parts = new Array(count - 1);
    searchStarts = new Float64Array(count);
    let at = 0;
    for (let i = 1; i < count; ++i) {
      parts[i - 1] = nameOf(i).toLowerCase();
      searchStarts[i] = at;
      at += parts[i - 1].length + 1;
    }
    searchText = parts.join('/');
  }

  function entryAt(offset) {
    let low = 1, high = count - 1; // the last entry whose name starts at or before offset
    while (low < high) {
      const mid = (low + high + 1) >> 1;
      if (searchStarts[mid] <= offset) low = mid; else high = mid - 1;
    }
    return low;
  }

  function search(text) {
    query = text.toLowerCase();
    hits = [];
    hit = -1;
    // No name holds '/', the separator of the joined names.
    if (query && count > 1 && !query.includes('/')) {
      buildSearchIndex();
      for (let at = searchText.indexOf(query); at >= 0; ) {
        const i = entryAt(at);
        hits.push(i);
        if (i + 1 >= count) break;
        at = searchText.indexOf(query, searchStarts[i + 1]);
      }
    }
    if (hits.length > 0) {
      step(0);
    } else {
      showHits();
      queueRender();
    }
  }

  function step(to) {
    if (hits.length === 0) return;
    hit = ((to % hits.length) + hits.length) % hits.length;
    showHits();
    showEntry(hits[hit]);
  }

  function showHits() {
    $('hits').textContent = !query ? ''
      : hits.length === 0 ? 'No match'
      : numberFormat.format(hit + 1) + ' of ' + plural(hits.length, 'match', 'matches');
  }

  function setSort(key) {
    sortKey = key;
    sortedChildren.clear();
    rebuild();
    if (selected >= 0) select(selected);
  }

  function rowEntry(event) {
    const row = event.target.closest('.row');
    return row && row.entry >= 0 ? row.entry : -1;
  }

  function onKey(event) {
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    const r = selected >= 0 ? rowOf[selected] : -1;
    const page = Math.max(1, Math.floor(tree.clientHeight / ROW_HEIGHT) - 1);
    const go = (row) => {
      if (visible.length === 0) return;
      select(visible[Math.max(0, Math.min(visible.length - 1, row))]);
    };
    switch (event.key) {
      case 'ArrowDown': go(r + 1); break;
      case 'ArrowUp': go(r < 0 ? 0 : r - 1); break;
      case 'PageDown': go(r + page); break;
      case 'PageUp': go(r - page); break;
      case 'Home': go(0); break;
      case 'End': go(visible.length - 1); break;
      case 'ArrowRight':
        if (selected >= 0 && kinds[selected] === FOLDER && !expanded[selected]) toggle(selected, true);
        else go(r + 1);
        break;
      case 'ArrowLeft':
        if (selected >= 0 && kinds[selected] === FOLDER && expanded[selected]) toggle(selected, false);
        else if (selected >= 0 && parents[selected] > 0) select(parents[selected]);
        break;
      case 'Enter':
      case ' ':
        if (selected >= 0) toggle(selected);
        break;
      default:
        return;
    }
    event.preventDefault();
  }

  // Paper gets the rows as shown (up to PRINT_LIMIT), not the window of them on screen.
  function beforePrint() {
    const sheet = $('print');
    sheet.textContent = '';
    const fragment = document.createDocumentFragment();
    const shown = Math.min(visible.length, PRINT_LIMIT);
    for (let r = 0; r < shown; ++r) fillRow(makeRow(fragment), visible[r]);
    if (visible.length > shown) {
      const note = document.createElement('p');
      note.textContent = plural(visible.length - shown, 'further row', 'further rows') +
        ' not printed.';
      fragment.append(note);
    }
    sheet.append(fragment);
  }

  function start() {
    tree = $('tree');
    spacer = $('spacer');
    rows = $('rows');
    load();
    $('root').textContent = rootName;
    $('totals').textContent = contentsText(0) + ', ' + humanSize(bytes[0]);
    $('totals').title = exactBytes(bytes[0]);
    document.title = rootName;
    tree.addEventListener('scroll', queueRender, { passive: true });
    window.addEventListener('resize', queueRender);
    rows.addEventListener('click', (event) => {
      const i = rowEntry(event);
      if (i < 0) return;
      select(i);
      toggle(i);
      tree.focus({ preventScroll: true });
    });
    tree.addEventListener('keydown', onKey);
    $('expand-all').addEventListener('click', () => {
      expanded.fill(1);
      rebuild();
      if (selected >= 0) select(selected);
    });
    $('collapse-all').addEventListener('click', () => {
      expanded.fill(0);
      expanded[0] = 1;
      rebuild();
      tree.scrollTop = 0;
    });
    $('sort').addEventListener('change', (event) => setSort(event.target.value));
    const box = $('search');
    box.addEventListener('input', () => search(box.value));
    box.addEventListener('keydown', (event) => {
      if (event.key === 'Enter') {
        step(hit + (event.shiftKey ? -1 : 1));
        event.preventDefault();
      } else if (event.key === 'Escape') {
        box.value = '';
        search('');
      }
    });
    $('next').addEventListener('click', () => step(hit + 1));
    $('previous').addEventListener('click', () => step(hit - 1));
    window.addEventListener('beforeprint', beforePrint);
    window.addEventListener('afterprint', () => { $('print').textContent = ''; });
    rebuild();
    render();
    document.body.dataset.ready = 'true';
    requestAnimationFrame(() => {
      // The frame that draws the first rows: benchmarks read when it came.
      performance.mark('first-rows-drawn');
      // After the first rows are painted.
      setTimeout(buildSearchIndex, 0);
    });
  }

  document.addEventListener('DOMContentLoaded', start);
})();
