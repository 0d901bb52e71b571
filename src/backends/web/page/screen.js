// The page as the game's screen. Where the page is big enough, the screen is
// the page, in CSS pixels, as it always was. Where it is smaller than the
// game needs (a phone, a zoomed or shrunk browser window), the whole screen
// is drawn smaller, every window alike, so that each shows whole, its close
// box and buttons included, and the game still has the room it was made
// for. When the page changes size, whatever no longer fits is brought back in.
import { screen } from './dom.js';

// The main window (347 × 286) with a little room around it: the cipher
// window's place at 1000 twips needs 331 × 153.
const NEEDED_WIDTH = 360;
const NEEDED_HEIGHT = 320;

let scale = 1;
let width = 0;
let height = 0;
let reservedBelow = 0; // the on-screen keyboard's rows
const followers = [];

export function screenWidth() {
  if (width === 0) measure();
  return width;
}

export function screenHeight() {
  if (height === 0) measure();
  return height;
}

// `fit` runs whenever the screen's size changes.
export function whenScreenChanges(fit) {
  followers.push(fit);
}

// The page's own controls take this many pixels at the bottom.
export function reserveBelow(pixels) {
  reservedBelow = pixels;
  measure();
}

export function measure() {
  const root = document.documentElement;
  const availableWidth = Math.max(1, root.clientWidth);
  const availableHeight = Math.max(1, root.clientHeight - reservedBelow);
  scale = Math.min(1, availableWidth / NEEDED_WIDTH, availableHeight / NEEDED_HEIGHT);
  width = Math.floor(availableWidth / scale);
  height = Math.floor(availableHeight / scale);
  const style = screen().style;
  style.width = width + 'px';
  style.height = height + 'px';
  style.transform = scale === 1 ? '' : `scale(${scale})`;
  for (const fit of followers) fit();
}

// Where something of this size goes nearest to left, top, wholly on the
// screen (its top left corner on it, when it is bigger than the screen).
export function onScreen(left, top, w, h) {
  return {
    left: Math.max(0, Math.min(left, screenWidth() - w)),
    top: Math.max(0, Math.min(top, screenHeight() - h)),
  };
}

// Moves something by the handle the player pressed, as a desktop drags a
// window by its title bar: place(left, top) gets screen coordinates.
export function drag(event, from, place) {
  const handle = event.currentTarget;
  const startX = event.clientX;
  const startY = event.clientY;
  handle.setPointerCapture(event.pointerId);
  const move = (e) => place(from.left + (e.clientX - startX) / scale, from.top + (e.clientY - startY) / scale);
  const stop = () => {
    handle.removeEventListener('pointermove', move);
    handle.removeEventListener('pointerup', stop);
    handle.removeEventListener('pointercancel', stop);
  };
  handle.addEventListener('pointermove', move);
  handle.addEventListener('pointerup', stop);
  handle.addEventListener('pointercancel', stop);
}

window.addEventListener('resize', () => measure());
