#include "shell/ModelWindows.h"

#include "models/Catalogue.h"
#include "shell/ModelFactory.h"

namespace morva::shell {

void registerModelWindows()
{
    for (const CatalogueRow &row : modelCatalogue())
        registerModelWindow(row.leaf(), row.create);
}

} // namespace morva::shell
