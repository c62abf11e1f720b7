// The application's texts, from the language resource library of the current
// language, so that they follow a switch of the language at once.
#pragma once

// The text of an id; valid until eight further calls (a small ring of buffers).
const char* ViewText(unsigned id);
// The text of an id with its placeholders filled (ztFormat), into buffer.
void ViewFormat(char* buffer, unsigned size, unsigned id, ...);
// Boxes with the application's texts, through the library's box handler.
void ViewWarn(unsigned id, ...);
void ViewInfo(unsigned id, ...);
// 1 when the person answered Yes.
int ViewAsk(unsigned id, ...);
