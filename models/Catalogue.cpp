#include "models/Catalogue.h"

#include "models/windows/Drift2.h"
#include "models/windows/Inbreed.h"
#include "models/windows/LinkDis.h"
#include "models/ModelExplanations.h"
#include "models/windows/Mut2.h"
#include "models/windows/SelDi2.h"
#include "models/windows/SelDi3.h"
#include "models/windows/SelMig2.h"
#include "models/windows/SelMut2.h"
#include "models/windows/SexLink.h"

#include <QMdiSubWindow>

namespace morva {

// The frequency-dependent selection window (models/windows/FreqDep.cpp).
QMdiSubWindow *newFreqDepForm(std::function<void()> handBack);

namespace {

template <class Window>
ModelWindowFactory factoryOf()
{
    return [](std::function<void()> handBack) { return new Window(std::move(handBack)); };
}

std::vector<CatalogueRow> makeCatalogue()
{
    const QString selection = QStringLiteral("Natural selection");
    return {
        {QStringLiteral("mutation-2-alleles"), {QStringLiteral("Mutation")},
         QStringLiteral("Mut2Form"), QStringLiteral("mutation-2-alleles"), factoryOf<TMut2Form>()},
        {QStringLiteral("selection-2-alleles"), {selection, QStringLiteral("2 alleles")},
         QStringLiteral("SelDi2Form"), QStringLiteral("selection-2-alleles"),
         factoryOf<TSelDi2Form>()},
        {QStringLiteral("selection-3-alleles"), {selection, QStringLiteral("3 alleles")},
         QStringLiteral("SelDi3Form"), QStringLiteral("selection-3-alleles"),
         factoryOf<TSelDi3Form>()},
        {QStringLiteral("selection-mutation"), {selection, QStringLiteral("2 alleles with mutation")},
         QStringLiteral("SelMut2Form"), QStringLiteral("selection-mutation"),
         factoryOf<TSelMut2Form>()},
        {QStringLiteral("selection-migration"),
         {selection, QStringLiteral("2 alleles with migration")}, QStringLiteral("SelMig2Form"),
         QStringLiteral("selection-migration"), factoryOf<TSelMig2Form>()},
        {QStringLiteral("frequency-dependent"),
         {selection, QStringLiteral("Frequency-dependent")},
         QStringLiteral("FreqDepForm"), QStringLiteral("frequency-dependent"), newFreqDepForm},
        {QStringLiteral("partial-selfing"),
         {QStringLiteral("Inbreeding"), QStringLiteral("Partial selfing")},
         QStringLiteral("InbreedForm"), QStringLiteral("partial-selfing"),
         factoryOf<TInbreedForm>()},
        {QStringLiteral("sex-linked-locus"), {QStringLiteral("Sex-linked locus")},
         QStringLiteral("SexLinkForm"), QStringLiteral("sex-linked-locus"),
         factoryOf<TSexLinkForm>()},
        {QStringLiteral("linkage-2-loci"), {QStringLiteral("Linkage (2 loci)")},
         QStringLiteral("LinkDisForm"), QStringLiteral("linkage-2-loci"), factoryOf<TLinkDisForm>()},
        {QStringLiteral("drift"), {QStringLiteral("Genetic drift")}, QStringLiteral("Drift2Form"),
         QStringLiteral("drift-2-alleles"), factoryOf<TDrift2Form>()},
    };
}

template <class Match>
const CatalogueRow *findRow(Match match)
{
    for (const CatalogueRow &row : modelCatalogue()) {
        if (match(row))
            return &row;
    }
    return nullptr;
}

} // namespace

QString CatalogueRow::explanation() const
{
    return modelExplanation(id);
}

const std::vector<CatalogueRow> &modelCatalogue()
{
    static const std::vector<CatalogueRow> catalogue = makeCatalogue();
    return catalogue;
}

const CatalogueRow *catalogueRow(QStringView id)
{
    return findRow([id](const CatalogueRow &row) { return row.id == id; });
}

const CatalogueRow *catalogueRowOfWindow(const QObject *window)
{
    if (!window)
        return nullptr;
    const QString name = window->objectName();
    return findRow([&name](const CatalogueRow &row) { return row.windowName == name; });
}

const CatalogueRow *catalogueRowAt(const QStringList &path)
{
    return findRow([&path](const CatalogueRow &row) { return row.treePath == path; });
}

} // namespace morva
