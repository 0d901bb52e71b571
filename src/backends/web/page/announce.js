// What changes in a shown window, told to screen readers once, through the
// page's polite live region: a sighted player watches the results and お, わ,
// り come and go; a screen reader user hears them.
const changed = new Set();
let lastSaid = '';

function region() {
  return document.getElementById('announcer');
}

// A label's text changed, or it came out: it is told at the window's paint.
export function textChanged(label) {
  changed.add(label);
}

function inDocumentOrder(a, b) {
  return a.compareDocumentPosition(b) & Node.DOCUMENT_POSITION_FOLLOWING ? -1 : 1;
}

export function announceChanges() {
  if (changed.size === 0) return;
  const shown = [...changed].filter((e) => e.isConnected && e.offsetParent !== null && e.textContent.trim() !== '');
  changed.clear();
  const text = shown.sort(inDocumentOrder).map((e) => e.textContent.trim()).join(' ');
  const live = region();
  if (text === '' || text === lastSaid || live === null) return;
  lastSaid = text;
  live.textContent = text;
}
