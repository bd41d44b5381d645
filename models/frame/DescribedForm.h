#ifndef MORVA_MODELS_DESCRIBEDFORM_H
#define MORVA_MODELS_DESCRIBEDFORM_H

// A model window built from its description (models/frame/ModelDescription.h): the
// group boxes, fields and labels in place or laid out, the tab order, the
// double-click completion groups, Enter in the fields that run, the checks in
// order before the run (after the frame's check that every field reads), the
// chart pages with their series, readouts, equilibrium markers and level
// lines, the grid with its header, colours, texts and column hints, a line of
// notes under the charts, and the run's table for export. A model window
// derives from it and gives the description, its arithmetic and the state
// its fills read.

#include "models/frame/EquilibriumMarks.h"
#include "models/frame/KeptRuns.h"
#include "models/frame/ModelDescription.h"
#include "models/frame/ModelForm.h"

#include <QHash>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace morva {

class DescribedForm : public ModelForm {
    Q_OBJECT
public:
    DescribedForm(form::ModelDescription description, std::function<void()> handBack,
                  QWidget *parent = nullptr);
    ~DescribedForm() override;

    // The controls by name; nullptr for an unknown name.
    TKesRealSpinEdit *realField(const QString &name) const;
    TKesSpinEdit *intField(const QString &name) const;
    QLineEdit *lineEdit(const QString &name) const;
    QPushButton *button(const QString &name) const;
    chart::Chart *chart(int page) const;
    chart::Series *series(int page, const QString &name) const;
    // The line under the charts; nullptr when the model has none.
    QLabel *noteLabel() const { return m_note; }
    // The equilibrium level lines and markers of a page (empty ones when it
    // has none).
    const EquilibriumLevels &levels(int page) const { return m_pages.at(std::size_t(page)).levels; }
    const EquilibriumMarkers &marks(int page) const { return m_pages.at(std::size_t(page)).marks; }
    // The equilibria of the last refill of the charts.
    const EquilibriumSet &equilibria() const { return m_equilibria; }

    // What a field holds once it is left: its text read, clamped to its
    // limits (a real text that reads as no number: the minimum).
    long double settled(const QString &name) const;
    // mantissa x 10^exponent of two fields: the power of ten first, then
    // the product.
    long double scaled(const QString &mantissa, const QString &exponent) const;
    // The integer typed into a field: empty text counts as 0; text that is
    // not an integer throws the conversion error.
    std::int32_t typedInteger(const QString &name) const;

    // Points a member at the control, or the series of a chart, whose
    // object name it has (MORVA_BIND(SelDi2Freq1RealSpinEdit)).
    template <class T>
    void bindControl(T *&member, const QString &name) const
    {
        member = findChild<T *>(name);
    }
    void bindControl(chart::Series *&member, const QString &name) const;

    // Run: the checks in order (the first that fails shows its message and
    // ends the run), the model's run, then the results shown.
    void runDescribed();

    // Kept runs (models/frame/KeptRuns.h) over every chart page.
    void keepRun() override;
    void clearKeptRuns() override;
    int keptRunCount() const override { return m_kept.count(); }
    // The kept runs' field texts by field name, oldest first.
    QList<QMap<QString, QString>> keptInputs() const { return m_kept.keptInputs(); }
    // Runs with `texts` in the fields named (the others as they are),
    // keeps that run and puts every field back as it was. False when the
    // run did not pass.
    bool keepRunOf(const QMap<QString, QString> &texts);
    // The legend text of the kept run with a line near `pixel` on a page's
    // simplex chart; empty when none is.
    QString keptRunNear(const chart::SimplexChart *simplex, const QPointF &pixel) const
    {
        return m_kept.runNear(simplex, pixel);
    }

    // Continue: one run as long as the last run and the generations the
    // field holds now together, its inputs otherwise the last run's; the
    // field keeps its text. Beyond the most generations a run makes it says
    // so and runs nothing; without a last run, or with inputs changed since,
    // it is Run and the status bar says which.
    void continueRun() override;
    // The number of generations' field(s) and the most a run makes.
    const form::GenerationsSpec &generationsSpec() const { return m_generations; }
    // Every field's text by field name (text fields too), as shown now.
    QMap<QString, QString> inputTexts() const;
    // The message Continue gives past the most generations.
    static QString continueLimitMessage(std::int64_t total, std::int64_t most);
    void OutputGraphPanelEnter() override;
    void OutputNumbersPanelEnter() override;

protected:
    void runClicked() override { runDescribed(); }
    void prepareGrid() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    RunTable runTable() const override;
    void graphRefilled() override;
    QStringList keptRunLines() const override { return m_kept.exportLines(); }

private:
    struct Page {
        chart::Chart *chart = nullptr;
        std::vector<chart::Series *> series;
        EquilibriumLevels levels;
        EquilibriumMarkers marks;
        QList<QPointF> places;   // of the marks, in the order of the equilibria
    };

    static ModelFormSettings settingsFor(const form::ModelDescription &description);
    void buildBox(const form::BoxSpec &spec);
    QWidget *buildField(QWidget *box, const form::FieldSpec &spec);
    QWidget *buildOther(QWidget *box, const form::FieldSpec &spec);
    bool textFieldKey(QLineEdit *field, int key);
    void connectSumGroup(const form::SumGroup &group);
    void buildPage(const form::ChartSpec &spec);
    void designGrid();
    void buildNote();
    void fillPage(std::size_t index);
    void chartMouseMove(std::size_t index, const QPoint &pos);
    void gridMouseMove(const QPoint &pos);
    std::vector<KeptRuns::Page> keptPages() const;
    void resolveGenerations();
    // The generations the field holds as text; nothing when it reads as no
    // whole number.
    std::optional<std::int64_t> generationsTyped() const;
    bool writeGenerations(std::int64_t total);
    // Field texts but the generations', for telling changed inputs.
    QMap<QString, QString> textsButGenerations(QMap<QString, QString> texts) const;

    form::ModelDescription m_description;
    QHash<QString, KesSpinEditBase *> m_fields;
    // Text fields (with whether Enter in them runs) and buttons.
    QHash<QLineEdit *, bool> m_lineEdits;
    QHash<QString, QWidget *> m_others;
    std::vector<Page> m_pages;
    QLabel *m_note = nullptr;
    EquilibriumSet m_equilibria;
    KeptRuns m_kept;
    form::GenerationsSpec m_generations;
    // The last run that passed: its field texts and its generations.
    struct LastRun {
        QMap<QString, QString> texts;
        std::int64_t generations = 0;
    };
    std::optional<LastRun> m_lastRun;
};

} // namespace morva

#define MORVA_BIND(member) bindControl(member, QStringLiteral(#member))

#endif
