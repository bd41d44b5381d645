#ifndef MORVA_TESTS_SUPPORT_MODELHARNESS_H
#define MORVA_TESTS_SUPPORT_MODELHARNESS_H

// A frame stand-in for one model window, as the window tests and benchmarks
// use it: a main window whose multiple-document area holds the window, with
// a hand-back hook that records what it saw, and the reads and actions a
// user makes (grid texts, Run, typing into a field). The GUI fixture (fake
// desktop, '.' as the decimal separator, the hint tracker) comes first and
// goes last.

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "tests/support/GuiFixture.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <optional>
#include <type_traits>

namespace morva::test {

template <class Form>
struct ModelHarness {
    GuiFixture fixture;
    QMainWindow main;
    QMdiArea *area = new QMdiArea;
    QPointer<Form> form;
    int handBacks = 0;
    bool closedAtHandBack = false;
    bool aliveAtHandBack = false;

    // Opens the window at once unless told not to (then open() does, or
    // open<Concrete>() a window of a class derived from Form).
    explicit ModelHarness(QSize mainSize = QSize(1000, 760), bool openNow = true)
    {
        main.setCentralWidget(area);
        // Within the offscreen screen, where the pointer can find widgets.
        main.resize(mainSize);
        if constexpr (std::is_constructible_v<Form, std::function<void()>>) {
            if (openNow)
                open();
        }
    }

    template <class Concrete = Form>
    void open()
    {
        form = new Concrete([this] {
            ++handBacks;
            aliveAtHandBack = !form.isNull();
            closedAtHandBack = area->subWindowList().isEmpty() && form && !form->isVisible();
        });
        area->addSubWindow(form);
        form->show();
    }

    template <class T>
    T *find(const QString &name) const
    {
        return form->template findChild<T *>(name);
    }
    TStringAlignGrid *grid() const { return form->grid(); }
    QString cell(int col, int row) const { return grid()->cell(col, row); }
    // The texts of one grid row, every column.
    QStringList row(int r) const
    {
        QStringList texts;
        for (int c = 0; c < grid()->colCount(); ++c)
            texts << cell(c, r);
        return texts;
    }
    // The texts of one grid column below the header.
    QStringList column(int col) const
    {
        QStringList texts;
        for (int r = 1; r < grid()->rowCount(); ++r)
            texts << cell(col, r);
        return texts;
    }
    bool outputsShown() const { return grid()->isVisible() && form->pageControl()->isVisible(); }

    void clickRun() const { QTest::mouseClick(form->runButton(), Qt::LeftButton); }
    // Types `text` over the whole content of a field, as a user would.
    static void typeInto(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    // Changes the height and width of the output panel's client area.
    void resizeOutputTo(int width, int height)
    {
        QWidget *out = form->outputPanel();
        form->resize(form->width() + width - out->width(),
                     form->height() + height - out->height());
    }
};

// The first pixel column / row of a chart's plotting rectangle whose axis
// value satisfies `want`, or nothing.
template <class Want>
std::optional<int> findPixel(const chart::Chart *chart, bool horizontal, Want want)
{
    const QRect plot = chart->plotRect();
    const int from = horizontal ? plot.left() : plot.top();
    const int to = horizontal ? plot.right() : plot.bottom();
    for (int p = from; p <= to; ++p) {
        const double v = horizontal ? chart->bottomValueAt(p) : chart->leftValueAt(p);
        if (want(v))
            return p;
    }
    return std::nullopt;
}

} // namespace morva::test

#endif
