#include "models/frame/EquilibriumMarks.h"

#include "controls/Chart.h"
#include "platform/ExportText.h"
#include "platform/NumberText.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QAbstractSeries>
#include <QFont>
#include <QGraphicsLayout>

#include <algorithm>
#include <cmath>

namespace morva {

namespace {

const QColor kMarkerColour(0, 0, 192);
const QColor kNeutralFill(160, 160, 160);
constexpr int kMarkerHalfSize = 4;
constexpr qreal kLegendFontReduction = 1.5;  // points
constexpr int kLegendPixelReduction = 2;       // pixels, for a font set in pixels
constexpr int kFewestDecimals = 3;
constexpr int kMostDecimals = 12;

void add(chart::Series *series, QPointF at)
{
    series->addPoint(at.x(), at.y());
}

// The legend entries of one of the chart's series, found through Qt Charts
// by the series' object name.
QList<QLegendMarker *> legendMarkers(chart::Chart *chart, const chart::Series *series)
{
    QList<QLegendMarker *> markers;
    const QList<QAbstractSeries *> all = chart->qchart()->series();
    for (QAbstractSeries *candidate : all) {
        if (candidate->objectName() == series->name())
            markers << chart->qchart()->legend()->markers(candidate);
    }
    return markers;
}

// The legend shows a marker's title on two lines ("stable" over
// "equilibrium") in a smaller font: on one line the four entries of a
// readout chart overflow its legend at the window's designed size, and the
// legend would cut every title short, the charts' own ones too.
void twoLineLegendLabel(chart::Chart *chart, const chart::Series *series)
{
    QString label = series->title();
    const qsizetype space = label.indexOf(QLatin1Char(' '));
    if (space >= 0)
        label.replace(space, 1, QStringLiteral("<br>"));
    QFont font = chart->qchart()->legend()->font();
    // The legend's font may be set in pixels (the chart's own font follows
    // the window's); reduce whichever unit it has.
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() - kLegendFontReduction);
    else
        font.setPixelSize(std::max(1, font.pixelSize() - kLegendPixelReduction));
    for (QLegendMarker *marker : legendMarkers(chart, series)) {
        marker->setFont(font);
        marker->setLabel(label);
    }
}

// A series meant for the legend stands in it only while it has points.
// Qt Charts does not lay its legend out again when an entry is shown or
// hidden, so a change asks for that.
void showInLegendWhenDrawn(chart::Chart *chart, const chart::Series *series)
{
    const bool shown = series->inLegend() && series->count() > 0;
    bool changed = false;
    for (QLegendMarker *marker : legendMarkers(chart, series)) {
        changed = changed || marker->isVisible() != shown;
        marker->setVisible(shown);
    }
    QLegend *legend = chart->qchart()->legend();
    if (changed && legend->layout())
        legend->layout()->invalidate();
}

chart::Series *seriesOf(const EquilibriumMarkers &markers, const Equilibrium &e)
{
    switch (e.kind) {
    case Stability::Stable:
    case Stability::Slow:
        return markers.stable;
    case Stability::Unstable:
        return e.zeroMeanFitness ? markers.zeroMean : markers.unstable;
    case Stability::OneSided:
        return markers.oneSided;
    case Stability::Neutral:
        break;
    }
    return markers.neutral;
}

QList<chart::Series *> allSeries(const EquilibriumMarkers &markers)
{
    return {markers.stable, markers.unstable, markers.neutral, markers.oneSided,
            markers.zeroMean};
}

// In place of the multipliers where the mean fitness is 0.
QString zeroMeanText(const Equilibrium &e)
{
    return isApproached(e.kind) ? QStringLiteral("Wmed= 0: populations beside it come to it")
                                : QStringLiteral("Wmed= 0: populations beside it move away");
}

QString alleleName(int allele)
{
    return QStringLiteral("A%1").arg(allele);
}

QString exported(Extended value)
{
    return QString::fromStdString(text::exportNumber(value));
}

QString frequencies(const TAlleleVector &p, int alleles)
{
    QStringList parts;
    for (int i = 1; i <= alleles; ++i)
        parts << QStringLiteral("p[%1]= ").arg(i) + exported(p[i]);
    return parts.join(QLatin1Char(' '));
}

QString lineMultiplier(Extended value)
{
    if (std::isinf(value))
        return QStringLiteral("none (Wmed= 0)");
    QString text = multiplierText(value);
    text.replace(text::decimalSeparator(), QLatin1Char('.'));
    return text;
}

// The stability details of a line: the slope of a 2-allele system; for 3
// alleles the eigenvalues along the face, then each absent allele's.
QString details(const Equilibrium &e)
{
    if (e.multiplierCount == 1)
        return e.zeroMeanFitness ? QStringLiteral(", ") + zeroMeanText(e)
                                 : QStringLiteral(", slope= ") + lineMultiplier(e.slope());
    QStringList along;
    QStringList parts;
    for (int k = 0; k < e.multiplierCount; ++k) {
        const Multiplier &m = e.multipliers[static_cast<std::size_t>(k)];
        if (m.against == 0)
            along << lineMultiplier(m.value.real());
        else
            parts << QStringLiteral("against %1: %2, eigenvalue= %3")
                         .arg(alleleName(m.against), stabilityText(m.stability()),
                              lineMultiplier(m.value.real()));
    }
    if (along.size() == e.multiplierCount)
        return QStringLiteral(", eigenvalues= ") + along.join(QStringLiteral(", "));
    if (!along.isEmpty())
        parts.prepend(QStringLiteral("along the edge: %1, eigenvalue= %2")
                          .arg(stabilityText(e.alongFace()), along.join(QStringLiteral(", "))));
    return QStringLiteral("; ") + parts.join(QStringLiteral("; "));
}

QString pointLine(const Equilibrium &e, bool withMeanFitness)
{
    QString line = QStringLiteral("equilibrium ") + frequencies(e.p, e.alleles);
    if (withMeanFitness)
        line += QStringLiteral(" Wmed= ") + exported(e.meanFitness);
    return line + QStringLiteral(": ") + stabilityText(e.kind) + details(e);
}

QString alleleList(AlleleSet alleles)
{
    QStringList names;
    for (int i = 1; i <= 3; ++i) {
        if (alleles & alleleBit(i))
            names << alleleName(i);
    }
    return names.join(QStringLiteral(" and "));
}

// The line of a face note; empty when the points say it all.
QString noteLine(const FaceNote &note, const EquilibriumSet &set)
{
    const bool whole = &note == &set.whole();
    switch (note.status) {
    case FaceStatus::EveryPoint:
        return whole ? QStringLiteral("every point is an equilibrium")
                     : QStringLiteral("every point with only %1 present is an equilibrium")
                           .arg(alleleList(note.alleles));
    case FaceStatus::Segment:
        return QStringLiteral("every point from (%1) to (%2) is an equilibrium")
            .arg(frequencies(note.from, set.alleles), frequencies(note.to, set.alleles));
    case FaceStatus::TwoCycle:
        return QStringLiteral("every other point alternates between two frequencies around "
                              "the equilibrium");
    case FaceStatus::None:
    case FaceStatus::Point:
        break;
    }
    if (!whole || !set.interior().empty())
        return QString();
    return set.alleles == 2 ? QStringLiteral("no equilibrium with both alleles present")
                            : QStringLiteral("no equilibrium with all alleles present");
}

} // namespace

EquilibriumMarkers addEquilibriumMarkers(chart::Chart *chart, bool unstableInLegend)
{
    EquilibriumMarkers markers;
    markers.chart = chart;
    markers.stable = chart->addPointSeries(
        QStringLiteral("StableEquilibria"), QStringLiteral("stable equilibrium"), kMarkerColour,
        chart::MarkerShape::Circle, kMarkerHalfSize, kMarkerColour);
    markers.unstable = chart->addPointSeries(
        QStringLiteral("UnstableEquilibria"), QStringLiteral("unstable equilibrium"),
        kMarkerColour, chart::MarkerShape::Circle, kMarkerHalfSize, Qt::white, unstableInLegend);
    markers.neutral = chart->addPointSeries(
        QStringLiteral("NeutralEquilibria"), QStringLiteral("neutral equilibrium"), kMarkerColour,
        chart::MarkerShape::Circle, kMarkerHalfSize, kNeutralFill);
    markers.oneSided = chart->addPointSeries(
        QStringLiteral("OneSidedEquilibria"), QStringLiteral("one-sided equilibrium"),
        kMarkerColour, chart::MarkerShape::Diamond, kMarkerHalfSize + 1, kMarkerColour);
    markers.zeroMean = chart->addPointSeries(
        QStringLiteral("ZeroMeanEquilibria"), QStringLiteral("left, Wmed= 0"), kMarkerColour,
        chart::MarkerShape::Diamond, kMarkerHalfSize + 1, Qt::white);
    for (const chart::Series *series : allSeries(markers)) {
        twoLineLegendLabel(chart, series);
        showInLegendWhenDrawn(chart, series);
    }
    return markers;
}

QList<QPointF> fillEquilibriumMarkers(const EquilibriumMarkers &markers,
                                      const std::vector<Equilibrium> &points,
                                      const std::function<QPointF(const Equilibrium &)> &place)
{
    QList<QPointF> places;
    for (const Equilibrium &e : points) {
        const QPointF at = place(e);
        add(seriesOf(markers, e), at);
        places << at;
    }
    for (const chart::Series *series : allSeries(markers))
        showInLegendWhenDrawn(markers.chart, series);
    return places;
}

EquilibriumLevels addEquilibriumLevels(chart::Chart *chart, int alleles, const QString &title)
{
    EquilibriumLevels levels;
    levels.chart = chart;
    for (int i = 1; i <= alleles; ++i)
        levels.lines << chart->addLineSeries(QStringLiteral("EquilibriumLevel%1").arg(i),
                                             i == 1 ? title : QString(), Qt::black,
                                             chart::PenStyle::Dotted, i == 1);
    showInLegendWhenDrawn(chart, levels.lines.constFirst());
    return levels;
}

void fillEquilibriumLevels(const EquilibriumLevels &levels, const Equilibrium *e, double from,
                           double to)
{
    for (qsizetype i = 0; e && i < levels.lines.size(); ++i) {
        const double level = static_cast<double>(e->p[i + 1]);
        levels.lines.at(i)->addPoint(from, level);
        levels.lines.at(i)->addPoint(to, level);
    }
    showInLegendWhenDrawn(levels.chart, levels.lines.constFirst());
}

const Equilibrium *interiorOfKind(const EquilibriumSet &set, Stability kind)
{
    for (const Equilibrium &e : set.points) {
        if (e.inside() && (e.kind == kind || (kind == Stability::Stable && isApproached(e.kind))))
            return &e;
    }
    return nullptr;
}

QString stabilityText(Stability kind)
{
    switch (kind) {
    case Stability::Stable:
        return QStringLiteral("stable");
    case Stability::Unstable:
        return QStringLiteral("unstable");
    case Stability::Slow:
        return QStringLiteral("stable, approached slowly");
    case Stability::OneSided:
        return QStringLiteral("one-sided, approached from one side, left on the other");
    case Stability::Neutral:
        break;
    }
    return QStringLiteral("neutral");
}

QString multiplierText(Extended value)
{
    int decimals = kFewestDecimals;
    const Extended off = std::fabs(std::fabs(value) - 1);
    if (std::isfinite(value) && off > kNeutralBand)
        decimals = std::clamp(static_cast<int>(std::floor(-std::log10(off))) + 2,
                              kFewestDecimals, kMostDecimals);
    return text::formatFixed(value, 18, decimals);
}

QString equilibriumSummary(const Equilibrium &e)
{
    QString text;
    switch (e.kind) {
    case Stability::Slow:
        text = QStringLiteral("stable equilibrium, approached slowly, ");
        break;
    case Stability::OneSided:
        text = QStringLiteral("one-sided equilibrium, approached from one side, left on the "
                              "other, ");
        break;
    default:
        text = stabilityText(e.kind) + QStringLiteral(" equilibrium, ");
        break;
    }
    if (e.zeroMeanFitness)
        return text + zeroMeanText(e);
    if (e.multiplierCount == 1)
        return text + QStringLiteral("slope= ") + multiplierText(e.slope());
    QStringList values;
    for (int k = 0; k < e.multiplierCount; ++k)
        values << multiplierText(e.multipliers[static_cast<std::size_t>(k)].value.real());
    return text + QStringLiteral("eigenvalues= ") + values.join(QStringLiteral(", "));
}

QStringList equilibriumLines(const EquilibriumSet &set, bool withMeanFitness)
{
    QStringList lines;
    for (const Equilibrium &e : set.points)
        lines << pointLine(e, withMeanFitness);
    for (const FaceNote &note : set.faces) {
        const QString line = noteLine(note, set);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace morva
