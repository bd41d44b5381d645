#include "shell/ModelWindows.h"

#include "models/Drift2.h"
#include "models/Inbreed.h"
#include "models/LinkDis.h"
#include "models/Mut2.h"
#include "models/SelDi2.h"
#include "models/SelDi3.h"
#include "models/SelMig2.h"
#include "models/SelMut2.h"
#include "models/SexLink.h"
#include "shell/ModelFactory.h"

namespace morva::shell {

void registerModelWindows()
{
    registerModelWindow(QStringLiteral("Mutation"), [](std::function<void()> handBack) {
        return new TMut2Form(std::move(handBack));
    });
    registerModelWindow(QStringLiteral("2 alleles"), [](std::function<void()> handBack) {
        return new TSelDi2Form(std::move(handBack));
    });
    registerModelWindow(QStringLiteral("3 alleles"), [](std::function<void()> handBack) {
        return new TSelDi3Form(std::move(handBack));
    });
    registerModelWindow(QStringLiteral("2 alleles with mutation"),
                        [](std::function<void()> handBack) {
                            return new TSelMut2Form(std::move(handBack));
                        });
    registerModelWindow(QStringLiteral("2 alleles with migration"),
                        [](std::function<void()> handBack) {
                            return new TSelMig2Form(std::move(handBack));
                        });
    registerModelWindow(QStringLiteral("Partial selfing"), [](std::function<void()> handBack) {
        return new TInbreedForm(std::move(handBack));
    });
    registerModelWindow(QStringLiteral("Sex-linked locus"), [](std::function<void()> handBack) {
        return new TSexLinkForm(std::move(handBack));
    });
    registerModelWindow(QStringLiteral("Linkage (2 loci)"), [](std::function<void()> handBack) {
        return new TLinkDisForm(std::move(handBack));
    });
    registerModelWindow(QStringLiteral("Genetic drift"), [](std::function<void()> handBack) {
        return new TDrift2Form(std::move(handBack));
    });
}

} // namespace morva::shell
