// The page as the game's desktop: what the program (mochitama.js) calls,
// through Module.desktop, from page.cpp. The program calls in; the page
// never calls the program, it only queues events (queue.js).
import { closeBox, openBox } from './boxes.js';
import { addControl, setControlAlignment, setControlColors, setControlFont, setControlOrder, setControlPlace,
  setControlShown, setControlText } from './controls.js';
import { returnFocusToGame } from './focus.js';
import { offerKeyboard } from './keyboard.js';
import { listenToKeys, queueEscape } from './keys.js';
import { addMenu, closeMenuUnlessInside, setMenu } from './menus.js';
import { sleep, takeEvent, whenEventQueued, yieldOnce } from './queue.js';
import { setTimer } from './timers.js';
import { closeWindow, hideWindow, layoutWindow, moveWindow, openWindow, paint, paintAll, setWindowCaption,
  setWindowColor, setWindowEnabled, showWindow, windowLeft, windowTop } from './windows.js';
import { measure, screenHeight, screenWidth } from './screen.js';
import { takeGuard } from './guard.js';
import { entropy, park, secondsSinceMidnight, showEnded } from './world.js';
import { offerLanguageSwitch, speaksEnglish } from './words.js';

measure();
listenToKeys();
offerKeyboard();
offerLanguageSwitch(returnFocusToGame);
document.addEventListener('pointerdown', (e) => closeMenuUnlessInside(e.target));

export const desktop = Object.freeze({
  whenEventQueued, takeEvent, yieldOnce, sleep, queueEscape, paint, paintAll,
  openWindow, closeWindow, layoutWindow, setWindowCaption, setWindowColor, setWindowEnabled, showWindow,
  hideWindow, moveWindow, windowLeft, windowTop,
  addControl, setControlText, setControlShown, setControlColors, setControlFont, setControlAlignment,
  setControlPlace, setControlOrder,
  addMenu, setMenu, setTimer, openBox, closeBox,
  screenWidth, screenHeight, secondsSinceMidnight, entropy, speaksEnglish, takeGuard, showEnded, park,
});
