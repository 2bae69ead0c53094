#pragma once

class QKeyEvent;

// True for the keys the window's clipboard menu owns: copy, cut and paste in
// all their platform spellings. The text boxes leave these keys unclaimed so
// that the window's shortcuts get them whichever box has the focus.
bool isClipboardKey(const QKeyEvent* event);
