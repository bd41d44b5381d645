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

// The formulas, on scalars. The public routines and the trajectory's fast
// path both evaluate exactly these expressions, so they give the same bits.

struct Fit2 {
    Extended w11, w12, w22;
    explicit Fit2(const TGenotypeFitness &w) : w11(w[1]), w12(w[2]), w22(w[3]) {}
};

struct Fit3 {
    Extended w11, w12, w13, w22, w23, w33;
    explicit Fit3(const TGenotypeFitness &w)
        : w11(w[1]), w12(w[2]), w13(w[3]), w22(w[4]), w23(w[5]), w33(w[6])
    {
    }
};

inline Extended mean(const Fit2 &f, const Extended *p)
{
    const Extended p1 = p[1], p2 = p[2];
    return p1 * p1 * f.w11 + Two * p1 * p2 * f.w12 + p2 * p2 * f.w22;
}

inline Extended mean(const Fit3 &f, const Extended *p)
{
    const Extended p1 = p[1], p2 = p[2], p3 = p[3];
    return p1 * p1 * f.w11 + Two * p1 * p2 * f.w12 + Two * p1 * p3 * f.w13 + p2 * p2 * f.w22
        + Two * p2 * p3 * f.w23 + p3 * p3 * f.w33;
}

inline void alleleFitness(const Fit2 &f, const Extended *p, Extended *W)
{
    const Extended p1 = p[1], p2 = p[2];
    W[1] = p1 * f.w11 + p2 * f.w12;
    W[2] = p1 * f.w12 + p2 * f.w22;
}

inline void alleleFitness(const Fit3 &f, const Extended *p, Extended *W)
{
    const Extended p1 = p[1], p2 = p[2], p3 = p[3];
    W[1] = p1 * f.w11 + p2 * f.w12 + p3 * f.w13;
    W[2] = p1 * f.w12 + p2 * f.w22 + p3 * f.w23;
    W[3] = p1 * f.w13 + p2 * f.w23 + p3 * f.w33;
}

// Scalars of a vector, elements 1..N (element 0 unused).
template <int N>
struct Scalars {
    Extended v[N + 1]{};
};

template <int N>
Scalars<N> load(const TAlleleVector &a)
{
    Scalars<N> s;
    for (int i = 1; i <= N; ++i)
        s.v[i] = a[i];
    return s;
}

template <int N>
void store(const Scalars<N> &s, TAlleleVector &a)
{
    for (int i = 1; i <= N; ++i)
        a[i] = s.v[i];
}

// One generation on scalars: SelStep with W always computed.
template <int N, typename Fit>
inline void stepScalars(const Fit &f, const Scalars<N> &p, Extended &wm, Scalars<N> &W,
                        Scalars<N> &next)
{
    wm = mean(f, p.v);
    alleleFitness(f, p.v, W.v);
    if (wm == 0) {
        for (int i = 1; i <= N; ++i)
            next.v[i] = p.v[i];
    } else {
        for (int i = 1; i <= N; ++i)
            next.v[i] = (p.v[i] * W.v[i]) / wm;
    }
}

// SelStep for n = 2 or 3 on local copies: nothing is read back from the
// caller's arrays after a store. The outputs are written after the
// arithmetic, then the flags are checked.
template <int N, typename Fit>
void stepN(const TGenotypeFitness &w, const TAlleleVector &p, Extended &Wmed, TAlleleVector &W,
           TAlleleVector &pNext)
{
    const Fit f(w);
    const Scalars<N> pl = load<N>(p);
    Extended wm = 0;
    Scalars<N> Wl, next;
    stepScalars<N>(f, pl, wm, Wl, next);
    Wmed = wm;
    store<N>(Wl, W);
    store<N>(next, pNext);
    fpCheck();
}

// SelStep for any other n: Wmed = 0, no W, pNext[i] = p[i] for i = 1..n
// (range error beyond element 3).
void stepOther(std::uint16_t n, const TAlleleVector &p, Extended &Wmed, TAlleleVector &pNext)
{
    Wmed = 0;
    for (int i = 1; i <= n; ++i)
        pNext[i] = p[i];
}

// The trajectory for n = 2 or 3, generation 0's frequencies already stored.
// Each generation reads the previous one back from freqs and computes into
// locals, then stores its results (so an error leaves the generations
// before it and its own results stored, nothing after). Every intermediate
// of a step reaches wm, W or next by + - * or as a dividend, and the one
// divisor is wm, so the finiteness prefilter on the stored results sees any
// error (FloatChecks.h); W is tested too because with wm = 0 it reaches no
// next.
template <int N, typename Fit>
void trajectoryN(const TGenotypeFitness &w, std::uint16_t ng, TSelTimeArray &times,
                 TSelVectorArray &freqs, TSelVectorArray &alleleFit, TSelRealArray &wmed)
{
    const Fit f(w);
    for (int g = 1; g <= ng; ++g) {
        const Scalars<N> p = load<N>(freqs[g - 1]);
        Extended wm = 0;
        Scalars<N> W, next;
        stepScalars<N>(f, p, wm, W, next);
        Extended &wmOut = wmed[g - 1];
        TAlleleVector &WOut = alleleFit[g - 1];
        TAlleleVector &nextOut = freqs[g];
        wmOut = wm;
        store<N>(W, WOut);
        store<N>(next, nextOut);
        times[g] = static_cast<std::uint16_t>(g);
        if constexpr (N == 2)
            fpCheckIfNotFinite(wmOut, WOut[1], WOut[2], nextOut[1], nextOut[2]);
        else
            fpCheckIfNotFinite(wmOut, WOut[1], WOut[2], WOut[3], nextOut[1], nextOut[2],
                               nextOut[3]);
    }
    const Scalars<N> p = load<N>(freqs[ng]);
    Scalars<N> W;
    alleleFitness(f, p.v, W.v);
    const Extended wm = mean(f, p.v);
    store<N>(W, alleleFit[ng]);
    wmed[ng] = wm;
    fpCheck();
}

} // namespace

Extended SelMeanFitness2(const TAlleleVector &p, const TGenotypeFitness &w)
{
    return mean(Fit2(w), load<2>(p).v);
}

Extended SelMeanFitness3(const TAlleleVector &p, const TGenotypeFitness &w)
{
    return mean(Fit3(w), load<3>(p).v);
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
    Scalars<2> Wl;
    alleleFitness(Fit2(w), load<2>(p).v, Wl.v);
    store<2>(Wl, W);
}

void SelAlleleFitness3(const TAlleleVector &p, const TGenotypeFitness &w, TAlleleVector &W)
{
    Scalars<3> Wl;
    alleleFitness(Fit3(w), load<3>(p).v, Wl.v);
    store<3>(Wl, W);
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
    switch (n) {
    case 2:
        stepN<2, Fit2>(w, p, Wmed, W, pNext);
        break;
    case 3:
        stepN<3, Fit3>(w, p, Wmed, W, pNext);
        break;
    default:
        stepOther(n, p, Wmed, pNext);
        break;
    }
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
    switch (n) {
    case 2:
        trajectoryN<2, Fit2>(w, ng, times, freqs, alleleFit, wmed);
        return;
    case 3:
        trajectoryN<3, Fit3>(w, ng, times, freqs, alleleFit, wmed);
        return;
    default:
        // No fitness formula: Wmed is 0, the frequencies stay, no W.
        for (int g = 1; g <= ng; ++g) {
            stepOther(n, freqs[g - 1], wmed[g - 1], freqs[g]);
            times[g] = static_cast<std::uint16_t>(g);
        }
        wmed[ng] = 0;
        return;
    }
}

void SelExpectedLine(std::uint16_t m, const TGenotypeFitness &w, TSelRealArray &xs,
                     TSelRealArray &wm, TSelRealArray &ds)
{
    fpClear();
    const Extended w11 = w[1], w12 = w[2], w22 = w[3];
    Extended d1 = w11 - w12;
    Extended d2 = w22 - w12;
    fpBarrier(d1, d2);
    fpCheck();
    const Extended em = m;
    // d1 and d2 are checked above; every other intermediate flows into wm
    // or ds by + - * or as a dividend (p and q through p * p * w11 and
    // q * q * w22; where wm is 0 the ds formula is not evaluated at all), and
    // the one divisor is wm, so the finiteness prefilter on wm and ds sees
    // any error. One plain check closes.
    for (int i = 0; i <= m; ++i) {
        const Extended p = static_cast<Extended>(i) / em;
        const Extended q = 1 - p;
        const Extended wmi = p * p * w11 + Two * w12 * p * q + q * q * w22;
        const Extended dsi = wmi != 0 ? (p * q) * (p * d1 - q * d2) / wmi : Extended(0);
        xs[i] = p;
        wm[i] = wmi;
        ds[i] = dsi;
        fpCheckIfNotFinite(wm[i], ds[i]);
    }
    fpCheck();
}

} // namespace morva
