#include "arith/PgMathSe.h"

#include "arith/FloatChecks.h"

namespace morva {

std::int32_t SelNg = 0;
TAlleleVector SelInitFreqs;
TGenotypeFitness SelFit;
TSelTimeArray SelTimes;
TSelVectorArray SelFreqs;
TSelVectorArray SelAlleleFit;
TSelRealArray SelWmed;
TSelRealArray SelLineP;
TSelRealArray SelLineDelta;
TSelRealArray SelLineWmed;

namespace {

constexpr Extended Two = 2;

// SelStep without clearing the flags: the trajectory clears them once.
// Wmed, W and pNext are caller-visible memory, so their stores precede the
// opaque fpCheck.
void step(std::uint16_t n, const TGenotypeFitness &w, const TAlleleVector &p, Extended &Wmed,
          TAlleleVector &W, TAlleleVector &pNext)
{
    Wmed = SelMeanFitness(n, p, w);
    SelAlleleFitness(n, p, w, W);
    if (Wmed == 0) {
        for (int i = 1; i <= n; ++i)
            pNext[i] = p[i];
    } else {
        for (int i = 1; i <= n; ++i)
            pNext[i] = (p[i] * W[i]) / Wmed;
    }
    fpCheck();
}

} // namespace

Extended SelMeanFitness2(const TAlleleVector &p, const TGenotypeFitness &w)
{
    const Extended p1 = p[1], p2 = p[2];
    const Extended w11 = w[1], w12 = w[2], w22 = w[3];
    return p1 * p1 * w11 + Two * p1 * p2 * w12 + p2 * p2 * w22;
}

Extended SelMeanFitness3(const TAlleleVector &p, const TGenotypeFitness &w)
{
    const Extended p1 = p[1], p2 = p[2], p3 = p[3];
    const Extended w11 = w[1], w12 = w[2], w13 = w[3], w22 = w[4], w23 = w[5], w33 = w[6];
    return p1 * p1 * w11 + Two * p1 * p2 * w12 + Two * p1 * p3 * w13 + p2 * p2 * w22
        + Two * p2 * p3 * w23 + p3 * p3 * w33;
}

Extended SelMeanFitness(std::uint16_t n, const TAlleleVector &p, const TGenotypeFitness &w)
{
    switch (n) {
    case 2:
        return SelMeanFitness2(p, w);
    case 3:
        return SelMeanFitness3(p, w);
    default:
        return 0;
    }
}

void SelAlleleFitness2(const TAlleleVector &p, const TGenotypeFitness &w, TAlleleVector &W)
{
    const Extended p1 = p[1], p2 = p[2];
    const Extended w11 = w[1], w12 = w[2], w22 = w[3];
    W[1] = p1 * w11 + p2 * w12;
    W[2] = p1 * w12 + p2 * w22;
}

void SelAlleleFitness3(const TAlleleVector &p, const TGenotypeFitness &w, TAlleleVector &W)
{
    const Extended p1 = p[1], p2 = p[2], p3 = p[3];
    const Extended w11 = w[1], w12 = w[2], w13 = w[3], w22 = w[4], w23 = w[5], w33 = w[6];
    W[1] = p1 * w11 + p2 * w12 + p3 * w13;
    W[2] = p1 * w12 + p2 * w22 + p3 * w23;
    W[3] = p1 * w13 + p2 * w23 + p3 * w33;
}

void SelAlleleFitness(std::uint16_t n, const TAlleleVector &p, const TGenotypeFitness &w,
                      TAlleleVector &W)
{
    switch (n) {
    case 2:
        SelAlleleFitness2(p, w, W);
        break;
    case 3:
        SelAlleleFitness3(p, w, W);
        break;
    default:
        break;
    }
}

void SelStep(std::uint16_t n, const TGenotypeFitness &w, const TAlleleVector &p, Extended &Wmed,
             TAlleleVector &W, TAlleleVector &pNext)
{
    fpClear();
    step(n, w, p, Wmed, W, pNext);
}

void SelTrajectory(std::uint16_t n, const TGenotypeFitness &w, std::uint16_t ng,
                   const TAlleleVector &p0, TSelTimeArray &times, TSelVectorArray &freqs,
                   TSelVectorArray &alleleFit, TSelRealArray &wmed)
{
    for (int i = 1; i <= n; ++i)
        freqs[0][i] = p0[i];
    if (ng > SelMaxGenerations)
        return;
    fpClear();
    for (int g = 1; g <= ng; ++g) {
        step(n, w, freqs[g - 1], wmed[g - 1], alleleFit[g - 1], freqs[g]);
        times[g] = static_cast<std::uint16_t>(g);
    }
    SelAlleleFitness(n, freqs[ng], w, alleleFit[ng]);
    wmed[ng] = SelMeanFitness(n, freqs[ng], w);
    fpCheck();
}

void SelExpectedLine(std::uint16_t m, const TGenotypeFitness &w, TSelRealArray &xs,
                     TSelRealArray &wm, TSelRealArray &ds)
{
    fpClear();
    const Extended w11 = w[1], w12 = w[2], w22 = w[3];
    const Extended d1 = w11 - w12;
    const Extended d2 = w22 - w12;
    const Extended em = m;
    for (int i = 0; i <= m; ++i) {
        xs[i] = static_cast<Extended>(i) / em;
        const Extended p = xs[i];
        const Extended q = 1 - p;
        wm[i] = p * p * w11 + Two * w12 * p * q + q * q * w22;
        if (wm[i] != 0)
            ds[i] = (p * q) * (p * d1 - q * d2) / wm[i];
        else
            ds[i] = 0;
        fpCheck();
    }
}

} // namespace morva
