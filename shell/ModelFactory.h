#ifndef MORVA_SHELL_MODELFACTORY_H
#define MORVA_SHELL_MODELFACTORY_H

// The registry through which the choice tree creates model windows. The
// start-up routine registers one factory per leaf of the catalogue; the tree
// itself knows no model window.

#include "models/Catalogue.h"

#include <QString>

#include <functional>

class QMdiSubWindow;

namespace morva::shell {

using morva::ModelWindowFactory;

// Registers (or replaces, or with an empty factory removes) the factory of a
// leaf.
void registerModelWindow(const QString &leafText, ModelWindowFactory factory);

// Creates the window of the leaf; nullptr when no factory is registered.
QMdiSubWindow *createModelWindow(const QString &leafText, std::function<void()> handBack);

// Whether a factory is registered for the leaf.
bool hasModelWindow(const QString &leafText);

} // namespace morva::shell

#endif
