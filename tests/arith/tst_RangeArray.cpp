// RangeArray: bounds-checked fixed arrays. State / Action / Expected in
// each case's comment.

#include "arith/Errors.h"
#include "arith/PgMathMu.h"
#include "arith/PgMathSe.h"
#include "arith/RangeArray.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cstdint>
#include <limits>

using namespace morva;

class TestRangeArray : public QObject {
    Q_OBJECT

private slots:
    // State: default-constructed. Expected: zeros, bounds and size as declared.
    void startsAtZero()
    {
        RangeArray<long double, 1, 3> a;
        for (int i = 1; i <= 3; ++i)
            MORVA_COMPARE_EXACT(a[i], 0.0L);
        QCOMPARE(a.low(), 1);
        QCOMPARE(a.high(), 3);
        QCOMPARE(a.size(), std::size_t(3));
        QCOMPARE((RangeArray<int, -2, 2>::size()), std::size_t(5));
    }

    // Action: a list shorter than the array. Expected: leading elements set,
    // the rest zero; a longer list is a range error.
    void listInitialisation()
    {
        const TAlleleVector v{0.25L, 0.75L};
        MORVA_COMPARE_EXACT(v[1], 0.25L);
        MORVA_COMPARE_EXACT(v[2], 0.75L);
        MORVA_COMPARE_EXACT(v[3], 0.0L);
        MORVA_EXPECT_ERROR((TFreqPair{1, 2, 3}), ERangeError, "Range check error");
    }

    // Action: read, write, compare, fill. Expected: by element index.
    void access()
    {
        RangeArray<int, -2, 2> a;
        for (int i = -2; i <= 2; ++i)
            a[i] = i * 10;
        QCOMPARE(a[-2], -20);
        QCOMPARE(a[2], 20);
        const auto &c = a;
        QCOMPARE(c[std::int64_t(1)], 10);
        RangeArray<int, -2, 2> b = a;
        QVERIFY(a == b);
        b[0] = 1;
        QVERIFY(!(a == b));
        b.fill(3);
        QCOMPARE(b[-2], 3);
        QCOMPARE(b[2], 3);
    }

    // Action: an index just outside either bound, in every integer type.
    // Expected: "Range check error", and the array unchanged.
    void outsideBounds_data()
    {
        QTest::addColumn<qint64>("index");
        QTest::newRow("low - 1") << qint64(0);
        QTest::newRow("high + 1") << qint64(4);
        QTest::newRow("negative") << qint64(-1);
        QTest::newRow("int64 min") << std::numeric_limits<qint64>::min();
        QTest::newRow("int64 max") << std::numeric_limits<qint64>::max();
    }
    void outsideBounds()
    {
        QFETCH(qint64, index);
        TAlleleVector v{1, 2, 3};
        const TAlleleVector &c = v;
        MORVA_EXPECT_ERROR(v[index], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(c[index], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(v[static_cast<int>(index)], ERangeError, "Range check error");
        if (index >= 0) {
            MORVA_EXPECT_ERROR(v[static_cast<std::uint64_t>(index)], ERangeError,
                               "Range check error");
            MORVA_EXPECT_ERROR(v[static_cast<std::uint16_t>(index)], ERangeError,
                               "Range check error");
        }
        QVERIFY((v == TAlleleVector{1, 2, 3}));
    }

    // The state arrays: 0..1000 and 0..50, nothing outside.
    void stateArrayBounds()
    {
        MORVA_EXPECT_ERROR(SelFreqs[1001], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(SelWmed[-1], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(SelTimes[1001], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(SelFit[0], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(SelFit[7], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(SelFreqs[0][4], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(MutFreqs[51], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(MutFreqs[0][3], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(MutTimes[-1], ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(MutLineP[51], ERangeError, "Range check error");
        SelFreqs[1000][3] = 1;
        MutFreqs[50][2] = 1;
        MORVA_COMPARE_EXACT(SelFreqs[1000][3], 1.0L);
        MORVA_COMPARE_EXACT(MutFreqs[50][2], 1.0L);
    }
};

QTEST_APPLESS_MAIN(TestRangeArray)
#include "tst_RangeArray.moc"
