#pragma once

// Assistive technology hears what a password box shows, never what it
// holds: the text of every change in a password-mode line edit reaches the
// accessibility bus as the box's password characters, so a screen reader
// still learns that a character came or went, and no other program of the
// user's session learns which one. Safe to call more than once.
void hidePasswordsFromAssistiveTechnology();
