// The last-resort form of the system message box: a message on standard error,
// used while no window system is available to show a box.
#ifndef ORVELA_PLATFORM_MESSAGE_BOX_H
#define ORVELA_PLATFORM_MESSAGE_BOX_H

namespace orvela::platform {

// Writes "title: text" and a line break to standard error and flushes it.
// A NULL title or text is written as empty.
void ShowMessageOnStderr(const char* title, const char* text);

}  // namespace orvela::platform

#endif
