#ifndef MORVA_MODELS_MODELEXPLANATIONS_H
#define MORVA_MODELS_MODELEXPLANATIONS_H

// The explanation page of each model: what the model is, the equations in
// the order each generation computes them (in the window's own symbols),
// its assumptions and what a student should look for. Simple HTML in the
// subset a QTextBrowser shows; formulas in plain Unicode text.

#include <QString>
#include <QStringView>

namespace morva {

// The explanation page of the model with catalogue id `id` as simple HTML
// (headings, paragraphs, lists; QTextBrowser's subset); empty for an unknown id.
QString modelExplanation(QStringView id);

} // namespace morva

#endif
