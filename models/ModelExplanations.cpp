#include "models/ModelExplanations.h"

#include <QStringList>

namespace morva {

namespace {

// One page: its catalogue id, its title and the bodies of its four
// sections (HTML).
struct Page {
    QStringView id;
    QStringView title;
    QStringView model;
    QStringView generation;
    QStringView assumptions;
    QStringView lookFor;
};

// The section headings, the same on every page.
constexpr QStringView kModel = u"The model";
constexpr QStringView kGeneration = u"Each generation";
constexpr QStringView kAssumptions = u"Assumptions";
constexpr QStringView kLookFor = u"What to look for";

constexpr Page kPages[] = {
    {u"mutation-2-alleles", u"Mutation, 2 alleles",
     uR"html(<p>One locus with two alleles, A1 and A2, whose frequencies p[1] and p[2]
add up to 1. Each generation a fraction u of the A1 alleles mutates to A2 (field
A1-&gt;A2) and a fraction v of the A2 alleles mutates to A1 (field A2-&gt;A1). The
rates and the number of generations are each typed as a number times a power of
ten (the x10^ fields), so a run can span up to 2,147,483,647 generations.</p>)html",
     uR"html(<p>p[2]′ = p[2] (1 − v) + p[1] u and p[1]′ = 1 − p[2]′, so
Δp[2] = u − (u + v) p[2]. The program does not step through the generations: it
writes the solution directly,</p>
<p>p[2](t) = p̂[2] + (p[2](0) − p̂[2]) (1 − u − v)^t, with p̂[2] = u / (u + v),</p>
<p>at every generation up to 50, and for longer runs at 50 evenly spaced times.
"Allele freqs vs time" shows p[1] and p[2] with the equilibrium dotted; the grid
lists time, p[1] and p[2]. "delta-p[2] vs p[2]" draws the line
Δp[2] = u − (u + v) p[2] and, as points, its value at each frequency of the run.
The equilibrium p̂[2] is marked where the line crosses 0; the slope of the map
there, 1 − u − v, makes it stable whenever 0 &lt; u + v &lt; 2. Run refuses
frequencies that do not add up to 1 and two rates of 0.</p>)html",
     uR"html(<ul>
<li>An infinitely large population: no random drift.</li>
<li>No selection or migration; the two mutation rates never change.</li>
<li>Discrete, non-overlapping generations.</li>
<li>Mutation acts on each allele on its own, so genotype frequencies and the
mating system do not matter.</li>
</ul>)html",
     uR"html(<ul>
<li>The equilibrium depends only on the rates, not on the start: with the
starting rates u = 1×10⁻⁶ and v = 5×10⁻⁷ every run approaches p[2] = 2/3.</li>
<li>Mutation is slow: the distance to the equilibrium shrinks by the factor
1 − u − v per generation, so halving it takes about 0.69 / (u + v) generations,
some 460,000 here. Try 1×10^4 generations: the frequencies hardly move.</li>
<li>Δp[2] is a straight line: positive below the equilibrium, negative above it,
largest far from it.</li>
<li>With one rate 0 (mantissa 0) the allele that mutation only creates goes to
fixation.</li>
</ul>)html"},

    {u"selection-2-alleles", u"Natural selection, 2 alleles",
     uR"html(<p>A diploid population at one locus with alleles A1 and A2, at
frequencies p = p[1] and q = p[2]. The genotypes A1A1, A1A2 and A2A2 have constant
fitnesses w11, w12 and w22 (the fields A1A1, A1A2, A2A2, from 0 to 2): their
relative chances of surviving to breed. A run lasts up to 300 generations.</p>)html",
     uR"html(<ol>
<li>Allele fitnesses: W[1] = p w11 + q w12, W[2] = p w12 + q w22.</li>
<li>Mean fitness: Wmed = p² w11 + 2pq w12 + q² w22.</li>
<li>Selection: p′ = p W[1] / Wmed, q′ = q W[2] / Wmed (where Wmed = 0 the
frequencies stay).</li>
</ol>
<p>So Δp = pq (p (w11 − w12) − q (w22 − w12)) / Wmed: the dashed expected curve
of "delta-p[1] vs p[1]", whose points are the run's observed changes.
"Wmed vs p[1]" shows the mean fitness at every p[1] and the run's points on it;
"Fitnesses vs time" shows W[1], W[2] and Wmed; the grid lists time, p[1], p[2] and
Wmed. Equilibria: p[1] = 1 (slope w12 / w11), p[1] = 0 (slope w12 / w22) and,
when it lies strictly between, p̂ = (w22 − w12) / (w11 − 2 w12 + w22). One is
stable when the slope of the map p → p′ there is below 1 in size: filled markers
are stable, hollow ones unstable; the pointer over a marker reads it. Run refuses
frequencies that do not add up to 1 and fitnesses that are all 0.</p>)html",
     uR"html(<ul>
<li>An infinitely large population: no random drift.</li>
<li>Random mating: each generation's zygotes are in Hardy–Weinberg proportions
p², 2pq, q².</li>
<li>Selection on survival from zygote to adult, with fitnesses that never
change.</li>
<li>Discrete, non-overlapping generations; no mutation or migration.</li>
</ul>)html",
     uR"html(<ul>
<li>Heterozygote advantage (w12 above w11 and w22): every run with both alleles
goes to the same p̂, at the top of the Wmed curve.</li>
<li>The starting fitnesses 0.8, 0.7, 0.9 are the reverse: p̂ = 2/3 is unstable.
From p[1] = 0.6 A2 is fixed; from 0.7, A1.</li>
<li>Wmed never decreases: the run's points climb the Wmed curve.</li>
<li>A deleterious recessive (A1A1 = A1A2 = 1, A2A2 = 0.8) declines ever more
slowly as it becomes rare: hidden in heterozygotes, selection hardly sees
it.</li>
</ul>)html"},

    {u"selection-3-alleles", u"Natural selection, 3 alleles",
     uR"html(<p>Selection as with 2 alleles, with three alleles A1, A2, A3 at
frequencies p[1], p[2], p[3] and six constant genotype fitnesses wij (the fields
A1A1 to A3A3, from 0 to 2; wji = wij). A run lasts up to 1000 generations.</p>)html",
     uR"html(<ol>
<li>Allele fitnesses: W[i] = p[1] wi1 + p[2] wi2 + p[3] wi3.</li>
<li>Mean fitness: Wmed = Σ p[i] W[i] = Σ p[i] p[j] wij over all i, j.</li>
<li>Selection: p[i]′ = p[i] W[i] / Wmed (where Wmed = 0 the frequencies
stay).</li>
</ol>
<p>"Allele freqs vs time" and "Fitnesses vs time" (W[1], W[2], W[3], Wmed) follow
the run; the grid lists time, p[1], p[2], p[3] and Wmed. "Simplex" draws every
population as a point of a triangle with corners A1, A2, A3, coloured by Wmed,
with the run as a line (a dot every 10 generations, a diamond at the start), the
equilibria as circles (filled stable, hollow unstable) and, with "Show change
arrows", the change of one generation. Equilibria: the three fixations, the
2-allele point inside each edge, and the point where W[1] = W[2] = W[3] with all
three alleles present, dotted on the time chart when it is stable.
Stability comes from the eigenvalues of the map within the triangle; a point on
an edge must also resist the missing allele k, whose factor W[k] / Wmed must be
below 1.</p>)html",
     uR"html(<ul>
<li>An infinitely large population; random mating (Hardy–Weinberg proportions
among the zygotes).</li>
<li>Selection on survival, with fitnesses that never change.</li>
<li>Discrete, non-overlapping generations; no mutation, migration or drift.</li>
</ul>)html",
     uR"html(<ul>
<li>Wmed never decreases: on "Simplex" the run crosses the contours uphill,
towards a peak.</li>
<li>An allele absent at the start stays absent: the run keeps to an edge.</li>
<li>Heterozygote advantage in every pair does not keep all three alleles: with the
starting fitnesses A2 is lost, and a 300-generation run ends near p[1] = 3/7,
p[3] = 4/7, where W[2] = 1 stays below Wmed ≈ 1.029.</li>
<li>With every heterozygote at 1 and every homozygote at 0.8, each run goes to
p[1] = p[2] = p[3] = 1/3.</li>
</ul>)html"},

    {u"selection-mutation", u"Natural selection with mutation, 2 alleles",
     uR"html(<p>Selection on alleles A1 and A2 (p = p[1], q = p[2]) with fitnesses
w11, w12, w22 (fields A1A1, A1A2, A2A2), together with mutation A1 → A2 at rate u
(field A1-&gt;A2) and A2 → A1 at rate v (A2-&gt;A1), each typed as a number times a
power of ten. A run lasts up to 1,000,000 generations; beyond generation 1000 the
grid and charts keep 1001 evenly spaced generations.</p>)html",
     uR"html(<p>Selection first, then mutation:</p>
<ol>
<li>W[1] = p w11 + q w12, W[2] = p w12 + q w22,
Wmed = p² w11 + 2pq w12 + q² w22.</li>
<li>Selection on the zygotes: ps = p W[1] / Wmed, qs = q W[2] / Wmed (unchanged
where Wmed = 0).</li>
<li>Mutation in their gametes: p′ = ps (1 − u) + qs v, q′ = qs (1 − v) + ps u.</li>
</ol>
<p>"delta-p[1] vs p[1]" shows the change by selection alone and by mutation alone,
v − (u + v) p, dashed, the "total expected" change of a whole generation in black
and the observed changes as points; "Wmed vs time" follows the mean fitness; the
grid lists time, p[1], p[2] and Wmed. The equilibria are the roots on [0, 1] of
p W[1] (q − u) − q W[2] (p − v) = 0; one is stable when the slope of p → p′,
(1 − u − v) times that of selection alone, is below 1 in size. The note under the
charts lists them and, for a deleterious allele, sets its exact balance beside
the approximation √(u / s) (recessive) or u / (h s) (partly dominant).</p>)html",
     uR"html(<ul>
<li>An infinitely large population; random mating.</li>
<li>Fitnesses and mutation rates that never change.</li>
<li>Discrete, non-overlapping generations; no migration or drift.</li>
</ul>)html",
     uR"html(<ul>
<li>The starting values make A2 recessive and deleterious (A2A2 = 0.8, s = 0.2)
and create it at u = 5×10⁻³: p[2] settles at 0.1581, which is √(u / s).</li>
<li>Make A2 partly dominant (A1A2 = 0.95, h = 0.25): the balance drops to about
0.085, near u / (h s) = 0.1, because selection now sees A2 in heterozygotes.</li>
<li>At a balance the selection and mutation curves are mirror images and the
total crosses 0.</li>
<li>Weak selection makes the approach slow: with A2A2 = 0.999 and u = 1×10⁻⁵,
p[2] takes some 50,000 generations to settle at 0.1.</li>
</ul>)html"},

    {u"selection-migration", u"Natural selection with migration, 2 alleles",
     uR"html(<p>An island population under selection, fitnesses w11, w12, w22 (fields
A1A1, A1A2, A2A2), receives migrants from a large continent whose A1 frequency pc
(field pc) never changes; each generation a fraction m (field m) of the island's
genes comes from migrants. p = p[1] and q = p[2] are the island's frequencies. A
run lasts up to 1,000,000 generations; beyond generation 1000 the grid and charts
keep 1001 evenly spaced generations.</p>)html",
     uR"html(<p>Migration first, then selection:</p>
<ol>
<li>Migration: pm = (1 − m) p + m pc, qm = (1 − m) q + m (1 − pc).</li>
<li>W[1] = pm w11 + qm w12, W[2] = pm w12 + qm w22,
Wmed = pm² w11 + 2 pm qm w12 + qm² w22.</li>
<li>Selection: p′ = pm W[1] / Wmed, q′ = qm W[2] / Wmed (p′ = pm where
Wmed = 0).</li>
</ol>
<p>The grid lists time, p[1] and p[2] at the start of each generation, and Wmed,
the mean fitness after the migrants arrived. "Allele freqs vs time" also shows pc
dotted; "delta-p[1] vs p[1]" shows the change by migration alone, m (pc − p), and
by selection alone, dashed, the "total expected" change of a whole generation in
black and the observed changes as points; "Wmed vs time" follows the mean
fitness. The equilibria are the roots on [0, 1] of q pm W[1] − p qm W[2] = 0;
one is stable when the slope of p → p′, (1 − m) times that of selection at pm, is
below 1 in size. The note under the charts lists them.</p>)html",
     uR"html(<ul>
<li>Island and continent are infinitely large; the continent gets no migrants
back.</li>
<li>Migrants join before mating; mating is random.</li>
<li>Fitnesses and m never change; discrete, non-overlapping generations; no
mutation.</li>
</ul>)html",
     uR"html(<ul>
<li>The starting values favour A2 on the island (0.8, 0.9, 1) while migrants bring
mostly A1 (pc = 0.9, m = 0.02): from any start the island settles at
p[1] ≈ 0.158, far from the continent's 0.9.</li>
<li>Raise m to 0.2 and the island follows the continent (p[1] ≈ 0.817): gene flow
swamps local selection when m is large beside the fitness differences.</li>
<li>With 0 &lt; pc &lt; 1 and m &gt; 0 neither fixation is an equilibrium.</li>
<li>Heterozygote disadvantage can give two stable equilibria: with A1A1 = A2A2 = 1,
A1A2 = 0.8 and m = 0.01, the island ends near 0.04 from p[1] = 0.3 but near 0.996
from 0.5.</li>
</ul>)html"},

    {u"partial-selfing", u"Inbreeding by partial selfing",
     uR"html(<p>A plant population at one locus with alleles A1 and A2. P, H and Q are
the frequencies of A1A1, A1A2 and A2A2; the allele frequencies p = P + H/2 and
q = Q + H/2 never change. Each generation a fraction s of the offspring (field s,
the selfing rate) comes from self-fertilisation, the rest from random mating. A
run lasts up to 1000 generations.</p>)html",
     uR"html(<p>Random mating gives Hardy–Weinberg proportions p², 2pq, q²; selfing
keeps A1A1 and A2A2 and turns A1A2 into ¼ A1A1, ½ A1A2, ¼ A2A2:</p>
<p>P′ = (1 − s) p² + s (P + H/4)<br>
H′ = (1 − s) 2pq + s H/2<br>
Q′ = (1 − s) q² + s (Q + H/4)</p>
<p>The inbreeding coefficient is F = 1 − H / (2pq) ("-" when an allele is absent).
At equilibrium F̂ = s / (2 − s), Ĥ = (1 − s) 2pq / (1 − s/2), P̂ = p − Ĥ/2,
Q̂ = q − Ĥ/2, as the note under the charts gives. "Genotype freqs vs time" shows
P, H and Q with p², 2pq and q² dotted; "F vs time" shows F with F̂ dotted; the
grid lists time, P, H, Q and F. Run refuses P, H and Q that do not add up to
1.</p>)html",
     uR"html(<ul>
<li>An infinitely large population of plants that can fertilise themselves; the
outcrossed part mates at random.</li>
<li>Selfed and outcrossed offspring are equally fit: no selection, mutation or
migration.</li>
<li>s never changes; discrete, non-overlapping generations.</li>
</ul>)html",
     uR"html(<ul>
<li>p never changes: inbreeding moves genotype frequencies, not allele
frequencies; each homozygote gains half of what the heterozygotes lose.</li>
<li>The approach is fast: H − Ĥ shrinks by the factor s/2 every generation.</li>
<li>F̂ = s / (2 − s) is less than s: with the starting s = 0.5, F̂ = 1/3 and H
settles at 0.32, down from 0.48.</li>
<li>With s = 1, H halves every generation and F goes to 1; with s = 0, any P, H,
Q reach Hardy–Weinberg proportions in one generation.</li>
</ul>)html"},

    {u"sex-linked-locus", u"Sex-linked locus",
     uR"html(<p>A locus on the X chromosome with alleles A1 and A2. Females carry two
X chromosomes, males one. pf and pm are the frequencies of A1 on the X
chromosomes of females and of males (fields "females pf" and "males pm"). A run
lasts up to 1000 generations.</p>)html",
     uR"html(<p>A son takes his only X from his mother; a daughter takes one X from
each parent:</p>
<p>pm′ = pf<br>
pf′ = (pf + pm) / 2</p>
<p>Hence pf′ − pm′ = −(pf − pm) / 2, while p = (2 pf + pm) / 3, the frequency of
A1 among all X chromosomes, never changes, and both sexes approach it.
"Allele freqs vs time" shows pf, pm and the limit (2 pf + pm) / 3 dotted;
"pf - pm vs time" shows the difference between the sexes; the grid lists time,
pf, pm, pf − pm and p.</p>)html",
     uR"html(<ul>
<li>An infinitely large population with as many females as males, so females
carry two thirds of the X chromosomes.</li>
<li>Random mating; no selection, mutation or migration.</li>
<li>Discrete, non-overlapping generations.</li>
</ul>)html",
     uR"html(<ul>
<li>With the starting values (every female A1A1, every male A2) the frequencies
zigzag: males copy the females of the generation before, and both approach
2/3.</li>
<li>pf − pm halves and changes sign every generation: after 10 generations the
sexes differ by less than 0.001 (2⁻¹⁰).</li>
<li>The population's p is the same in every row of the grid.</li>
<li>Start with pf = pm and nothing changes.</li>
</ul>)html"},

    {u"linkage-2-loci", u"Linkage disequilibrium, 2 loci",
     uR"html(<p>Two loci, one with alleles A and a, the other with B and b. The
population is described by the frequencies of the four gametes AB, Ab, aB and ab
(the fields under "Gamete frequencies"). r (field r, 0 to 0.5) is the
recombination fraction: 0 for complete linkage, 0.5 for unlinked loci. A run
lasts up to 1000 generations.</p>)html",
     uR"html(<p>The allele frequencies pA = AB + Ab, pa = aB + ab, pB = AB + aB and
pb = Ab + ab never change. The linkage disequilibrium starts as
D = AB·ab − Ab·aB, and each generation</p>
<p>D′ = (1 − r) D<br>
AB′ = pA pB + D′, Ab′ = pA pb − D′, aB′ = pa pB − D′, ab′ = pa pb + D′</p>
<p>"Gamete freqs vs time" shows the four gametes with their linkage-equilibrium
values pA pB, pA pb, pa pB, pa pb dotted; "D vs time" shows D as points on the
dotted closed form D0 (1 − r)^t. The grid lists time, the four gametes, D and
r² = D² / (pA pa pB pb), the squared correlation between the loci ("-" when an
allele is absent). The note gives pA, pB, the equilibrium gametes and D0. Run
refuses gamete frequencies that do not add up to 1.</p>)html",
     uR"html(<ul>
<li>An infinitely large population; random union of gametes.</li>
<li>No selection, mutation or migration; the same r in both sexes.</li>
<li>Discrete, non-overlapping generations.</li>
</ul>)html",
     uR"html(<ul>
<li>The allele frequencies stay; only the way alleles are combined in gametes
changes.</li>
<li>D shrinks by the factor 1 − r each generation, so even unlinked loci
(r = 0.5) only halve it: unlike Hardy–Weinberg proportions at one locus, linkage
equilibrium is not reached in one generation.</li>
<li>With the starting values (D0 = 0.08, r = 0.1) D halves in about 7
generations; with r = 0.01, in about 69.</li>
<li>With r = 0 nothing changes: complete linkage keeps D for ever.</li>
</ul>)html"},

    {u"drift", u"Genetic drift, 2 alleles",
     uR"html(<p>Replicate populations (demes) of Ne diploids (field Ne), so 2 Ne gene
copies each, at one locus with alleles A1 and A2. Each starts at A1 frequency p0
(field p[1]) and chance changes it; unequal fitnesses A1A1, A1A2, A2A2 add
selection, u and v mutation (A1 → A2 and A2 → A1, each mantissa × 10^exponent)
and m migration, from a continent of A1 frequency pc or, in the island model,
from the pool of all demes. Up to 200 replicates and 10,000 generations. The
seed fixes the random numbers: the same inputs and seed give the same run;
"New seed" takes one from the clock.</p>)html",
     uR"html(<p>Each generation, in every deme, in this order:</p>
<ol>
<li>Migration (only when m &gt; 0): p = (1 − m) p + m s, with s = pc, or in the
island model s = the mean p of all demes.</li>
<li>Selection (only when the fitnesses differ): ps = p W[1] / Wmed, with
W[1] = p w11 + q w12 and Wmed = p² w11 + 2pq w12 + q² w22.</li>
<li>Mutation (only when u or v &gt; 0): pu = (1 − u) ps + v qs.</li>
<li>Sampling: the next 2 Ne gene copies are drawn at random, k of them A1 with
k ~ Binomial(2 Ne, pu), so p′ = k / (2 Ne).</li>
</ol>
<p>A deme that has lost or fixed A1 stays so while no migrant or mutation can
bring the other allele back. "p[1] vs time" shows every replicate, bold their
mean, bold and dashed a population under the same forces without drift, and
behind them the exact distribution of p[1] as 5–95 % and 25–75 % bands: the
Wright–Fisher chain over the counts 0..2 Ne, its binomial rows truncated where
less than 10⁻¹⁷ of their mass lies beyond (Ne up to 500, demes independent).
"Heterozygosity" shows the mean observed 2pq and the expected
H = H0 (1 − 1/(2 Ne))^t, H0 = 2 p0 (1 − p0); "Fixed and lost" the fractions of
demes at p[1] = 1 and 0, the fixation probability and the exact probabilities
dotted; "Final p[1]" a histogram of the last frequencies with the exact expected
counts as diamonds; "F_ST" the variance of p among demes over p̄ (1 − p̄) with its
expectation dotted: 1 − (1 − 1/(2 Ne))^t without migration, about 1 / (1 + 4 Ne m)
with it. The grid lists these per generation with the demes still
polymorphic. The note gives the order of the forces; without migration and
mutation the fixation probability of A1: p0 without selection, otherwise
Kimura's (1 − e^(−4 Ne s p0)) / (1 − e^(−4 Ne s)) with s = (w11 − w22) / (w11 + w22),
a rough guide when w12 is not halfway; and the mean times to fixation and loss so
far beside Kimura's neutral expectations −4 Ne (1 − p0) ln(1 − p0) / p0 and
−4 Ne p0 ln(p0) / (1 − p0).</p>)html",
     uR"html(<ul>
<li>A finite population of constant size Ne, each generation drawn at random
from the gene pool of the last (random mating).</li>
<li>Discrete, non-overlapping generations.</li>
<li>Without island migration the demes are independent.</li>
</ul>)html",
     uR"html(<ul>
<li>Without selection the mean p[1] stays near p0 while each replicate wanders
off; in the long run the fraction fixed comes close to p0, the closer the more
replicates. The replicates stay inside the bands about as often as the bands
say.</li>
<li>Heterozygosity falls by the factor 1 − 1/(2 Ne) per generation: with the
starting Ne = 50, expected H falls from 0.5 to about 0.067 in 200 generations.
More replicates bring the observed mean closer to it.</li>
<li>Halve Ne and everything happens twice as fast.</li>
<li>With selection, drift still matters when 4 Ne s is small: a favoured allele
that starts rare is often lost. Compare "fixed" with the dotted
probability.</li>
<li>Island migration: with m = 0.02 and Ne = 50, F_ST levels off near
1 / (1 + 4 Ne m) = 0.2 instead of rising to 1.</li>
</ul>)html"},

    {u"frequency-dependent", u"Frequency-dependent selection, 2 alleles",
     uR"html(<p>Selection on alleles A1 and A2 (p = p[1], q = p[2]) in which each
genotype's fitness depends on its own frequency among the zygotes, before
selection, along a straight line with base fitness a and slope b:</p>
<p>w11 = a11 + b11 p², w12 = a12 + b12 2pq, w22 = a22 + b22 q²</p>
<p>A negative slope makes a genotype fitter when it is rare, a positive one when
it is common. With every b = 0 this is the 2-allele selection model.</p>)html",
     uR"html(<ol>
<li>Genotype fitnesses w11, w12, w22 from this generation's p², 2pq, q².</li>
<li>Allele fitnesses W[1] = p w11 + q w12, W[2] = p w12 + q w22; mean fitness
Wmed = p² w11 + 2pq w12 + q² w22.</li>
<li>Selection: p′ = p W[1] / Wmed, q′ = q W[2] / Wmed.</li>
</ol>
<p>A fitness that turns negative, or a mean fitness of 0, stops the run with a
message naming the generation. The equilibria are the frequencies on [0, 1]
with p′ = p; one is stable when the slope of the map p → p′ there is below 1 in
size.</p>)html",
     uR"html(<ul>
<li>An infinitely large population; random mating, so the genotype frequencies
the fitnesses depend on are p², 2pq, q².</li>
<li>A fitness depends only on its own genotype's frequency, through a and b,
which never change.</li>
<li>Discrete, non-overlapping generations; no mutation, migration or drift.</li>
</ul>)html",
     uR"html(<ul>
<li>Negative slopes keep both alleles without heterozygote advantage: with every
a = 1 and every b = −1, every run goes to p = 0.5, although there the
heterozygote is the least fit genotype (0.5 against 0.75).</li>
<li>Positive slopes favour the common: with every a = 1 and every b = 1, p = 0.5
is unstable; from 0.6 A1 is fixed, from 0.4 A2.</li>
<li>Mean fitness need not rise: with a11 = 1.5, b11 = −1 and the other genotypes
at a = 1, b = 0, A1 spreads from 0.05 until A1A1 is no fitter than the rest, at
p = √0.5 ≈ 0.707, while Wmed climbs to about 1.06 and falls back to 1.</li>
<li>Steep negative slopes can push a fitness below 0: the run stops there.</li>
</ul>)html"},
};

void appendSection(QString &html, QStringView heading, QStringView body)
{
    html += QStringLiteral("<h3>");
    html += heading;
    html += QStringLiteral("</h3>\n");
    html += body;
    html += QLatin1Char('\n');
}

} // namespace

QString modelExplanation(QStringView id)
{
    for (const Page &page : kPages) {
        if (page.id != id)
            continue;
        QString html = QStringLiteral("<h2>");
        html += page.title;
        html += QStringLiteral("</h2>\n");
        appendSection(html, kModel, page.model);
        appendSection(html, kGeneration, page.generation);
        appendSection(html, kAssumptions, page.assumptions);
        appendSection(html, kLookFor, page.lookFor);
        return html;
    }
    return QString();
}

} // namespace morva
