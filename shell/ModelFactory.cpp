#include "shell/ModelFactory.h"

#include <QHash>

#include <utility>

namespace morva::shell {

namespace {

QHash<QString, ModelWindowFactory> &registry()
{
    static QHash<QString, ModelWindowFactory> factories;
    return factories;
}

} // namespace

void registerModelWindow(const QString &leafText, ModelWindowFactory factory)
{
    if (factory)
        registry().insert(leafText, std::move(factory));
    else
        registry().remove(leafText);
}

QMdiSubWindow *createModelWindow(const QString &leafText, std::function<void()> handBack)
{
    const auto found = registry().constFind(leafText);
    if (found == registry().constEnd())
        return nullptr;
    // Copy the factory: it may re-register itself while it runs.
    const ModelWindowFactory factory = found.value();
    return factory(std::move(handBack));
}

bool hasModelWindow(const QString &leafText)
{
    return registry().contains(leafText);
}

} // namespace morva::shell
