// Text between the settings and the terminal: stored names and texts are in the 8-bit Windows code page
// (1252); the terminal takes UTF-8 where its locale says so. Nothing stored reaches the terminal raw: a
// control byte is written as an escape, so a hand-edited name cannot move the cursor or change colours.
#pragma once
#include <cstddef>
#include <cstdio>

// 1: the terminal takes UTF-8; 0: only ASCII is written raw. -1 asks the locale (LC_CTYPE's codeset).
void SetTerminalUtf8(int utf8);
// Stored text as the terminal shows it: control bytes and backslashes as "\xNN" and "\\", other characters
// as UTF-8 (or, on a terminal without UTF-8, characters beyond ASCII as "\xNN").
void PrintStoredText(FILE *out, const char *text);
// Typed text in the code page: on a UTF-8 terminal UTF-8 is converted; a character the code page lacks, or
// bytes that are not UTF-8, give false with the reason in error. Elsewhere the bytes are taken as they are.
bool StoredTextFromTerminal(const char *typed, char *out, size_t outSize, char *error, size_t errorSize);
