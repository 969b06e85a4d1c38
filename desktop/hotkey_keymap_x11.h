#pragma once
// Translation of X keys into the Windows virtual-key codes that bindings store. Free of X
// headers so that Qt files can include it.

namespace qv::ui::x11keys {

// The virtual key of a keysym (letters, digits, function, editing, keypad, modifier and media
// keys); 0 when it has none.
int virtualKeyOfKeysym(unsigned long keysym);

// The virtual key of the key at this position of a PC keyboard (X keycodes of the evdev driver),
// for the keys whose Windows code follows the position rather than the symbol: the digit row and
// the punctuation keys, and letters in layouts whose first group is not Latin. 0 when unknown.
int virtualKeyOfKeycode(unsigned keycode);

// True for the keypad's keysyms, whose NumLock level carries the digit.
bool isKeypadKeysym(unsigned long keysym);

} // namespace qv::ui::x11keys
