// The crash report's message, shown by a process of its own: a program started with
// "--crash-message <folder>" shows "Program Terminated" and ends.
#ifndef ZARN_FRAMEWORK_UI_ZARNCRASHMESSAGE_H
#define ZARN_FRAMEWORK_UI_ZARNCRASHMESSAGE_H

namespace zarn {

// True when this process was started to show the message (it has been shown then).
bool ShowCrashMessageIfAsked(int argc, char **argv);

}  // namespace zarn

#endif
