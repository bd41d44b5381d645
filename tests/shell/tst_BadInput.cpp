// Bad text in every spin edit of the three model windows, as a user enters
// it: typed or pasted over the whole field, then followed by a Tab, a double
// click on the field, a click on Run, or Enter.
//
// State: the shell running, a model window opened from the choice tree and
// run once with its defaults. Action: one field gets the row's text, then the
// test's follow-up. Expected: nothing crashes and no exception gets past the
// error report; the field holds and reads what the spin-edit rules say
// (refused characters dropped with a beep, unparsable text reads as the
// minimum, a value beyond the limits is clamped when the field is left); a
// run first refuses a field whose text is not a number, naming it, and puts
// the focus back in it with its text selected; the only other message boxes
// are the window's own checks or the conversion error report; a refused run
// leaves the grid exactly as it was, a run that passes refills it for the
// number of generations asked.
//
// The expected outcomes below come from the documented rules of the spin
// edits and of each window's Run checks, applied to the one field that
// changed (every other field keeps its default).

#include "controls/KesSpinEdits1.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelDriver.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QHash>
#include <QRegularExpression>
#include <QTabWidget>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

using namespace morva;
using morva::test::FakeDesktop;

namespace {

// The application object of the program with its last-resort guard, which
// also notes every exception that got past the handlers' own guards: the
// error report must come from the handler that failed, never from here.
class GuardWatchingApplication : public MorvaApplication {
public:
    using MorvaApplication::MorvaApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            escaped << QString::fromUtf8(error.what());
            reportError(error);
            return false;
        }
    }

    static inline QStringList escaped;
};

enum class Feed { Typed, Pasted };
enum class Action { Tab, DoubleClick, Run, Enter };
// What a field is to its window's Run checks.
enum class Role { Frequency, Parameter, Generations };

struct FieldSpec {
    const char *name;
    Role role;
    // The name a run's report gives the field; nullptr when the window reads
    // the text itself.
    const char *label;
};

// One field as the window built it, with what the oracle needs to know.
struct Field {
    QString name;
    Role role = Role::Parameter;
    QString label;
    KesSpinEditBase *edit = nullptr;
    bool integer = false;
    long double min = 0;
    long double max = 0;
    QString defaultText;
};

// A field's text and the value it reads.
struct Reading {
    QString text;
    long double value = 0;
    long double min = 0;
    long double max = 0;
};
using Readings = QHash<QString, Reading>;

// What a Run (or Enter in a generation field) should end in.
struct Outcome {
    bool passes = false;
    int rows = 0; // grid rows after a passed run
    MessageIcon icon = MessageIcon::Error;
    QString message;
    bool fieldRefused = false; // the field's text is no number
};

Outcome passed(int rows)
{
    return {true, rows, MessageIcon::Error, {}};
}

Outcome refused(const QString &message, MessageIcon icon = MessageIcon::Error)
{
    return {false, 0, icon, message};
}

// --- the spin-edit rules ---------------------------------------------------

// Characters the fields' filter lets through with '.' as the separator.
bool acceptedCharacter(QChar c)
{
    return c == u'+' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9');
}

// A decimal integer in the signed 32-bit range, or a decimal real (optional
// exponent) within the extended range; nothing else parses.
std::optional<long double> parseNumber(bool integer, const QString &text)
{
    static const QRegularExpression integerText(QStringLiteral("^[+-]?[0-9]+$"));
    static const QRegularExpression realText(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!(integer ? integerText : realText).match(text).hasMatch())
        return std::nullopt;
    QByteArray ascii = text.toLatin1();
    if (ascii.startsWith('+'))
        ascii.remove(0, 1);
    if (integer) {
        std::int32_t value = 0;
        const auto [end, error] = std::from_chars(ascii.cbegin(), ascii.cend(), value);
        if (error != std::errc() || end != ascii.cend())
            return std::nullopt;
        return value;
    }
    long double value = 0;
    const auto [end, error] = std::from_chars(ascii.cbegin(), ascii.cend(), value);
    if (error != std::errc() || end != ascii.cend() || std::isinf(value))
        return std::nullopt;
    return value;
}

long double clampTo(long double value, long double min, long double max)
{
    return value < min ? min : value > max ? max : value;
}

// What a field holds while it keeps the focus: the text as entered, read as
// its value or as the minimum.
Reading focusedReading(const Field &f, const QString &text)
{
    return {text, parseNumber(f.integer, text).value_or(f.min), f.min, f.max};
}

// What it holds once left: a parsed value beyond the limits is written back
// as the limit; anything else keeps its text.
Reading leftReading(const Field &f, const QString &text)
{
    const std::optional<long double> parsed = parseNumber(f.integer, text);
    if (!parsed)
        return {text, f.min, f.min, f.max};
    const long double clamped = clampTo(*parsed, f.min, f.max);
    if (clamped == *parsed)
        return {text, *parsed, f.min, f.max};
    // The limits of these fields are whole numbers.
    const QString written = f.integer ? QString::number(qint64(clamped))
                                      : QString::number(double(clamped), 'f', 3);
    return {written, clamped, f.min, f.max};
}

// --- the windows' Run checks -----------------------------------------------

// Before any window's own check: a field whose text does not read as a
// number stops the run.
std::optional<Outcome> fieldCheck(const Field &f, const QString &text)
{
    if (f.label.isEmpty() || parseNumber(f.integer, text))
        return std::nullopt;
    Outcome out = refused(QStringLiteral("%1: \"%2\" is not %3")
                              .arg(f.label, text,
                                   f.integer ? QStringLiteral("a whole number")
                                             : QStringLiteral("a number")));
    out.fieldRefused = true;
    return out;
}

bool sumIsOff(std::initializer_list<long double> frequencies)
{
    long double sum = 0;
    for (long double p : frequencies)
        sum += p;
    return std::fabs(sum - 1.0L) > 1e-6L;
}

Outcome twoAllelesRun(const Readings &r)
{
    const auto v = [&r](const char *name) { return r.value(QLatin1String(name)).value; };
    if (sumIsOff({v("SelDi2Freq1RealSpinEdit"), v("SelDi2Freq2RealSpinEdit")}))
        return refused(TSelDi2Form::kSumMessage);
    if (v("SelDi2Fit11RealSpinEdit") == 0 && v("SelDi2Fit12RealSpinEdit") == 0
        && v("SelDi2Fit22RealSpinEdit") == 0)
        return refused(TSelDi2Form::kFitnessMessage);
    return passed(int(v("SelNgKesSpinEdit")) + 2);
}

Outcome threeAllelesRun(const Readings &r)
{
    const auto v = [&r](const char *name) { return r.value(QLatin1String(name)).value; };
    if (sumIsOff({v("SelDi3Freq1RealSpinEdit"), v("SelDi3Freq2RealSpinEdit"),
                  v("SelDi3Freq3RealSpinEdit")}))
        return refused(TSelDi3Form::kSumMessage);
    bool allZero = true;
    for (const char *name : {"SelDi3Fit11RealSpinEdit", "SelDi3Fit12RealSpinEdit",
                             "SelDi3Fit13RealSpinEdit", "SelDi3Fit22RealSpinEdit",
                             "SelDi3Fit23RealSpinEdit", "SelDi3Fit33RealSpinEdit"})
        allZero = allZero && v(name) == 0;
    if (allZero)
        return refused(TSelDi3Form::kFitnessMessage);
    // The number of generations is read from the text as it stands.
    const QString text = r.value(QStringLiteral("SelNgKesSpinEdit")).text;
    if (text.isEmpty())
        return refused(TSelDi3Form::kGenerationsMessage);
    const std::optional<long double> n = parseNumber(true, text);
    if (!n)
        return refused(QStringLiteral("'%1' is not a valid integer value.").arg(text),
                       MessageIcon::Stop);
    if (*n < 1 || *n > TSelDi3Form::kMaxGenerations)
        return refused(TSelDi3Form::kGenerationsMessage);
    return passed(int(*n) + 2);
}

Outcome mutationRun(const Readings &r)
{
    const auto v = [&r](const char *name) { return r.value(QLatin1String(name)).value; };
    // A generation field counts with its value settled within its limits,
    // also when Enter runs before the field was left.
    const auto settled = [&r](const char *name) {
        const Reading &field = r[QLatin1String(name)];
        return clampTo(field.value, field.min, field.max);
    };
    if (sumIsOff({v("Freq1RealSpinEdit"), v("Freq2RealSpinEdit")}))
        return refused(TMut2Form::kSumMessage);
    const long double u = v("MutRate12RealSpinEdit") * std::pow(10.0L, v("MutRate12PowerSpinEdit"));
    const long double w = v("MutRate21RealSpinEdit") * std::pow(10.0L, v("MutRate21PowerSpinEdit"));
    if (u == 0 && w == 0)
        return refused(TMut2Form::kRatesMessage);
    const long double g = settled("NgKesSpinEdit") * std::pow(10.0L, settled("NgPowerSpinEdit"));
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (g > kMax)
        return refused(TMut2Form::kGenerationsMessage + QString::number(kMax));
    return passed(int(std::min<long long>(std::llrint(g), 50)) + 2);
}

// --- the windows -------------------------------------------------------------

struct WindowSpec {
    QString leaf;
    QList<FieldSpec> fields;
    Outcome (*run)(const Readings &);
};

const QList<WindowSpec> &windows()
{
    static const QList<WindowSpec> all{
        {test::kTwoAllelesLeaf,
         {{"SelDi2Freq1RealSpinEdit", Role::Frequency, "A1 frequency"},
          {"SelDi2Freq2RealSpinEdit", Role::Frequency, "A2 frequency"},
          {"SelDi2Fit11RealSpinEdit", Role::Parameter, "A1A1 fitness"},
          {"SelDi2Fit12RealSpinEdit", Role::Parameter, "A1A2 fitness"},
          {"SelDi2Fit22RealSpinEdit", Role::Parameter, "A2A2 fitness"},
          {"SelNgKesSpinEdit", Role::Generations, "Number of generations"}},
         &twoAllelesRun},
        {test::kThreeAllelesLeaf,
         // The A2 field follows the double-click rule as well (the window
         // chose to attach it).
         {{"SelDi3Freq1RealSpinEdit", Role::Frequency, "A1 frequency"},
          {"SelDi3Freq2RealSpinEdit", Role::Frequency, "A2 frequency"},
          {"SelDi3Freq3RealSpinEdit", Role::Frequency, "A3 frequency"},
          {"SelDi3Fit11RealSpinEdit", Role::Parameter, "A1A1 fitness"},
          {"SelDi3Fit12RealSpinEdit", Role::Parameter, "A1A2 fitness"},
          {"SelDi3Fit13RealSpinEdit", Role::Parameter, "A1A3 fitness"},
          {"SelDi3Fit22RealSpinEdit", Role::Parameter, "A2A2 fitness"},
          {"SelDi3Fit23RealSpinEdit", Role::Parameter, "A2A3 fitness"},
          {"SelDi3Fit33RealSpinEdit", Role::Parameter, "A3A3 fitness"},
          {"SelNgKesSpinEdit", Role::Generations, nullptr}},
         &threeAllelesRun},
        {test::kMutationLeaf,
         {{"Freq1RealSpinEdit", Role::Frequency, "A1 frequency"},
          {"Freq2RealSpinEdit", Role::Frequency, "A2 frequency"},
          {"MutRate12RealSpinEdit", Role::Parameter, "A1->A2 rate"},
          {"MutRate12PowerSpinEdit", Role::Parameter, "A1->A2 rate exponent"},
          {"MutRate21RealSpinEdit", Role::Parameter, "A2->A1 rate"},
          {"MutRate21PowerSpinEdit", Role::Parameter, "A2->A1 rate exponent"},
          {"NgKesSpinEdit", Role::Generations, "Number of generations"},
          {"NgPowerSpinEdit", Role::Generations, "Number of generations exponent"}},
         &mutationRun},
    };
    return all;
}

long double valueOf(const KesSpinEditBase *edit)
{
    if (auto *integer = qobject_cast<const TKesSpinEdit *>(edit))
        return integer->value();
    return static_cast<const TKesRealSpinEdit *>(edit)->value();
}

QString describe(long double value)
{
    return QString::number(double(value), 'g', 18);
}

const char *actionName(Action action)
{
    switch (action) {
    case Action::Tab:
        return "Tab";
    case Action::DoubleClick:
        return "double click";
    case Action::Run:
        return "Run";
    case Action::Enter:
        return "Enter";
    }
    return "?";
}

QString shorten(const QString &text)
{
    return text.size() <= 24 ? text : text.left(12) + QStringLiteral("...(%1 chars)").arg(text.size());
}

// One window's worth of cases for one input, feed and follow-up.
class Probe {
public:
    Probe(FakeDesktop &desktop, ModelForm *window, const WindowSpec &spec, const QString &input,
          Feed feed, Action action)
        : m_desktop(desktop), m_window(window), m_spec(spec), m_input(input), m_feed(feed),
          m_action(action)
    {
        for (const FieldSpec &fs : spec.fields) {
            Field f;
            f.name = QLatin1String(fs.name);
            f.role = fs.role;
            f.label = QString::fromUtf8(fs.label);
            f.edit = window->findChild<KesSpinEditBase *>(f.name);
            if (!f.edit) {
                fail(f.name, QStringLiteral("field not found"));
                continue;
            }
            if (auto *integer = qobject_cast<TKesSpinEdit *>(f.edit)) {
                f.integer = true;
                f.min = integer->minValue();
                f.max = integer->maxValue();
            } else {
                auto *real = static_cast<TKesRealSpinEdit *>(f.edit);
                f.min = real->minValue();
                f.max = real->maxValue();
            }
            f.defaultText = f.edit->text();
            m_fields.append(f);
        }
    }

    void runAll()
    {
        for (const Field &f : std::as_const(m_fields))
            runOne(f);
    }

    QStringList failures() const { return m_failures; }

private:
    QString caseName(const QString &field) const
    {
        return QStringLiteral("%1 / %2 / %3 \"%4\" / %5")
            .arg(m_spec.leaf, field,
                 m_feed == Feed::Typed ? QStringLiteral("typed") : QStringLiteral("pasted"),
                 shorten(m_input), QLatin1String(actionName(m_action)));
    }

    void fail(const QString &field, const QString &what)
    {
        m_failures << caseName(field) + QStringLiteral(": ") + what;
    }

    void expectEqual(const Field &f, const QString &what, const QString &actual,
                     const QString &expected)
    {
        if (actual != expected)
            fail(f.name, QStringLiteral("%1 is \"%2\", expected \"%3\"")
                             .arg(what, shorten(actual), shorten(expected)));
    }

    void restoreDefaults()
    {
        for (const Field &f : std::as_const(m_fields))
            f.edit->setText(f.defaultText);
        m_desktop.clear();
    }

    Readings defaults() const
    {
        Readings readings;
        for (const Field &f : m_fields)
            readings.insert(f.name, focusedReading(f, f.defaultText));
        return readings;
    }

    QPoint textPoint(const Field &f) const { return QPoint(4, f.edit->height() / 2); }

    // Puts the row's text over the whole field; returns what the field should
    // hold then and sets the beeps the filter should have sounded.
    QString feed(const Field &f, int *beeps)
    {
        QTest::mouseClick(f.edit, Qt::LeftButton, Qt::NoModifier, textPoint(f));
        QTest::keyClick(f.edit, Qt::Key_A, Qt::ControlModifier);
        *beeps = 0;
        if (m_feed == Feed::Pasted) {
            QApplication::clipboard()->setText(m_input);
            QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
            return f.edit->isReadOnly() ? f.defaultText : m_input;
        }
        QTest::keyClick(f.edit, Qt::Key_Backspace);
        QTest::keyClicks(f.edit, m_input);
        QString kept;
        for (const QChar c : m_input) {
            if (acceptedCharacter(c))
                kept += c;
            else
                ++*beeps;
        }
        return f.edit->isReadOnly() ? f.defaultText : kept;
    }

    void act(const Field &f)
    {
        switch (m_action) {
        case Action::Tab:
            QTest::keyClick(f.edit, Qt::Key_Tab);
            break;
        case Action::DoubleClick:
            QTest::mouseDClick(f.edit, Qt::LeftButton, Qt::NoModifier, textPoint(f));
            break;
        case Action::Run:
            QTest::mouseClick(m_window->runButton(), Qt::LeftButton);
            break;
        case Action::Enter:
            QTest::keyClick(f.edit, Qt::Key_Return);
            break;
        }
    }

    struct Expected {
        Reading field;
        std::optional<Outcome> run; // nullopt: no run happens
        int beeps = 0;
    };

    Expected expectation(const Field &f, const QString &fed, int feedBeeps) const
    {
        Expected e;
        e.beeps = feedBeeps;
        Readings readings = defaults();
        switch (m_action) {
        case Action::Tab:
            e.field = leftReading(f, fed);
            break;
        case Action::DoubleClick:
            // The frequency rule writes 1 minus the others, which at their
            // defaults is this field's default.
            e.field = f.role == Role::Frequency ? focusedReading(f, f.defaultText)
                                                : focusedReading(f, fed);
            break;
        case Action::Run:
            e.field = leftReading(f, fed);
            readings.insert(f.name, e.field);
            e.run = fieldCheck(f, e.field.text);
            if (!e.run)
                e.run = m_spec.run(readings);
            break;
        case Action::Enter:
            // The field takes the key and refuses the carriage return; only
            // the generation fields run, with the text as it stands. A run
            // that passes moves the focus to the outputs, leaving the field.
            ++e.beeps;
            e.field = focusedReading(f, fed);
            if (f.role == Role::Generations) {
                readings.insert(f.name, e.field);
                e.run = fieldCheck(f, fed);
                if (!e.run)
                    e.run = m_spec.run(readings);
                if (e.run->passes)
                    e.field = leftReading(f, fed);
            }
            break;
        }
        return e;
    }

    void checkField(const Field &f, const Reading &expected)
    {
        expectEqual(f, QStringLiteral("text"), f.edit->text(), expected.text);
        const long double value = valueOf(f.edit);
        if (value != expected.value)
            fail(f.name, QStringLiteral("value is %1, expected %2")
                             .arg(describe(value), describe(expected.value)));
    }

    void checkMessages(const Field &f, const std::optional<Outcome> &run)
    {
        QStringList expected;
        if (run && !run->passes)
            expected << QStringLiteral("%1: %2").arg(int(run->icon)).arg(run->message);
        QStringList actual;
        for (const FakeDesktop::Message &m : std::as_const(m_desktop.messages))
            actual << QStringLiteral("%1: %2").arg(int(m.icon)).arg(m.text);
        expectEqual(f, QStringLiteral("messages"), actual.join(QStringLiteral(" | ")),
                    expected.join(QStringLiteral(" | ")));
    }

    void checkOutputs(const Field &f, const std::optional<Outcome> &run,
                      const QStringList &gridBefore)
    {
        TStringAlignGrid *grid = m_window->grid();
        if (!grid->isVisible() || !m_window->pageControl()->isVisible())
            fail(f.name, QStringLiteral("outputs hidden after a run had filled them"));
        if (run && run->passes) {
            if (grid->rowCount() != run->rows)
                fail(f.name, QStringLiteral("grid has %1 rows after the run, expected %2")
                                 .arg(grid->rowCount())
                                 .arg(run->rows));
            return;
        }
        if (test::gridTexts(grid) != gridBefore)
            fail(f.name, QStringLiteral("grid changed although no run passed"));
    }

    void runOne(const Field &f)
    {
        restoreDefaults();
        const QStringList gridBefore = test::gridTexts(m_window->grid());
        int beeps = 0;
        const QString fed = feed(f, &beeps);
        expectEqual(f, QStringLiteral("text after entering"), f.edit->text(), fed);
        const Expected e = expectation(f, fed, beeps);

        act(f);
        if (m_action == Action::Tab && f.edit->hasFocus())
            fail(f.name, QStringLiteral("Tab left the focus in the field"));
        checkField(f, e.field);
        checkMessages(f, e.run);
        if (e.run && e.run->fieldRefused
            && (QApplication::focusWidget() != f.edit || f.edit->selectedText() != f.edit->text()))
            fail(f.name, QStringLiteral("the refused field lacks the focus or the selection"));
        checkOutputs(f, e.run, gridBefore);
        if (!GuardWatchingApplication::escaped.isEmpty()) {
            fail(f.name, QStringLiteral("exception past the handler's guard: ")
                             + GuardWatchingApplication::escaped.join(QStringLiteral(" | ")));
            GuardWatchingApplication::escaped.clear();
        }
        if (m_desktop.beeps != e.beeps)
            fail(f.name, QStringLiteral("%1 beeps, expected %2").arg(m_desktop.beeps).arg(e.beeps));
    }

    FakeDesktop &m_desktop;
    ModelForm *m_window;
    const WindowSpec &m_spec;
    QString m_input;
    Feed m_feed;
    Action m_action;
    QList<Field> m_fields;
    QStringList m_failures;
};

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void thenTab_data() { inputTable(); }
    void thenTab() { runTable(Action::Tab); }
    void thenDoubleClick_data() { inputTable(); }
    void thenDoubleClick() { runTable(Action::DoubleClick); }
    void thenRun_data() { inputTable(); }
    void thenRun() { runTable(Action::Run); }
    void thenEnter_data() { inputTable(); }
    void thenEnter() { runTable(Action::Enter); }

private:
    static void inputTable();
    void runTable(Action action);

    std::unique_ptr<test::GuiFixture> m_fixture;
};

void TestBadInput::init()
{
    m_fixture = std::make_unique<test::GuiFixture>();
    QVERIFY(test::startShell());
}

void TestBadInput::cleanup()
{
    // Everything goes before the recorded messages are looked at, so that a
    // failing test never leaves a window or the fake desktop behind.
    test::stopShell();
    const QStringList left = m_fixture->desktop.messageTexts();
    m_fixture.reset();
    QVERIFY2(left.isEmpty(),
             qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(" | ")));
}

void TestBadInput::inputTable()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("feed");
    const QList<std::pair<const char *, QString>> inputs{
        {"empty", QString()},
        {"letters", QStringLiteral("abc")},
        {"lone plus", QStringLiteral("+")},
        {"lone minus", QStringLiteral("-")},
        {"comma as separator", QStringLiteral("0,5")},
        {"exponent notation", QStringLiteral("1e-6")},
        {"1e4000", QStringLiteral("1e4000")},
        {"-1e4000", QStringLiteral("-1e4000")},
        {"99999999999", QStringLiteral("99999999999")},
        {"300 digits", QStringLiteral("1234567890").repeated(30)},
        {"exponent beyond every range", QStringLiteral("1e99999999999")},
    };
    for (Feed feed : {Feed::Typed, Feed::Pasted}) {
        for (const auto &[name, text] : inputs) {
            const char *how = feed == Feed::Typed ? "typed" : "pasted";
            QTest::addRow("%s %s", how, name) << text << int(feed);
        }
    }
}

// Every field of every window gets the row's input, then `action`; all
// mismatches are collected and reported together, each naming its case.
void TestBadInput::runTable(Action action)
{
    QFETCH(QString, input);
    QFETCH(int, feed);
    QStringList failures;
    for (const WindowSpec &spec : windows()) {
        ModelForm *window = test::openFromTree(spec.leaf);
        QVERIFY2(window, qPrintable(spec.leaf + QStringLiteral(" did not open")));
        // A first run with the defaults puts results on screen.
        QTest::mouseClick(window->runButton(), Qt::LeftButton);
        QVERIFY2(m_fixture->desktop.messages.isEmpty(),
                 test::describeMessages(m_fixture->desktop).constData());
        QVERIFY(window->grid()->isVisible());

        Probe probe(m_fixture->desktop, window, spec, input, Feed(feed), action);
        probe.runAll();
        failures << probe.failures();

        m_fixture->desktop.clear();
        QVERIFY2(test::cancelAndWait(window), qPrintable(spec.leaf + QStringLiteral(" outlived Cancel")));
        QVERIFY(!test::anyModelLeft());
    }
    // A failure message is cut short by the test library: list each mismatch
    // on its own line first.
    constexpr int kListed = 200;
    for (const QString &failure : failures.mid(0, kListed))
        qWarning().noquote() << failure;
    QVERIFY2(failures.isEmpty(),
             qPrintable(QStringLiteral("%1 mismatch(es), listed above; the first: %2")
                            .arg(failures.size())
                            .arg(failures.value(0))));
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    GuardWatchingApplication app(argc, argv);
    TestBadInput test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_BadInput.moc"
