#ifndef MORVA_SHELL_STARTUP_H
#define MORVA_SHELL_STARTUP_H

// Program start: the application title, the frame, the model-choice window as
// the frame's first child, the hidden about box, then the frame shown. The
// program and the tests run the same routine.

namespace morva::shell {

// Creates and shows the frame with its children; requires the application
// object. Calling it again without tearDown() first does nothing.
void startUp();

// Frees the frame, the choice window and the about box and clears their
// globals, so that the next startUp() begins afresh.
void tearDown();

} // namespace morva::shell

#endif
