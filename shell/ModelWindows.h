#ifndef MORVA_SHELL_MODELWINDOWS_H
#define MORVA_SHELL_MODELWINDOWS_H

namespace morva::shell {

// Registers the window of every model of the catalogue with the choice
// tree's factory, under the text of its tree leaf.
void registerModelWindows();

} // namespace morva::shell

#endif
