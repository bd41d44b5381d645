#ifndef MORVA_MODELS_MODELFORM_H
#define MORVA_MODELS_MODELFORM_H

// The frame every model window shares: an input panel on the left with the
// parameter group boxes and the Run and Cancel buttons, and an output panel on
// the right with a tabbed chart area above a number grid, separated by
// splitters. The frame owns the mechanisms the models fill in: the show
// skeleton, the frequency double-click rule, the Run skeleton (refill the grid,
// then the charts, then show the page control), the refills on focus entry
// (the grid's columns then grow to show their widest texts whole),
// the resize rules, the chart readouts and grid column hints, Enter and Esc
// as default and cancel keys, the check that every field reads as a number
// before a run, and Cancel with its hand-back to the caller.

#include <QColor>
#include <QList>
#include <QMdiSubWindow>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QWidget;
class KesSpinEditBase;
class TKesRealSpinEdit;
class TKesSpinEdit;
class TStringAlignGrid;

namespace morva {

class FocusEntry;
class NoteStrip;
struct ChartPage;
struct RunTable;
enum class ExportFormat;
namespace chart {
class Chart;
}

// The designed data that differs between the model windows.
struct ModelFormSettings {
    QString caption;
    // Width of InputPanel, also the least width Splitter2 leaves it.
    int inputPanelWidth = 170;
    // Height of the spacer panels InputPanel1..3.
    int spacerHeight = 10;
    // Height of NgGroupBox.
    int ngBoxHeight = 60;
    // The window scrolls when its client area is narrower than the width, or
    // lower than the input panel needs to show Cancel (the output panel
    // follows the client area down to there, so its 70 % rule holds at the
    // sizes the window is used at). The designed height is kept: in the
    // designed windows the input panel needs no more than it.
    QSize scrollRange{550, 500};
    QString runName = QStringLiteral("SelRunBtn");
    QString cancelName = QStringLiteral("SelCancelBtn");
    // Run's top-left corner in InputPanel; Cancel stands 50 pixels lower.
    QPoint runPos{45, 350};
    QString pageControlName = QStringLiteral("SelDiOutGraphPageControl");
    QString gridName;
    int gridColumns = 4;
    // Added to each column's width to size the grid.
    int gridWidthAddend = 6;
    // A grid wider than its panel: false, centred all the same (its edges
    // beyond the panel's); true, it fills the panel and scrolls its columns.
    bool gridFitsPanel = false;
};

// Parameters of a real or integer spin edit placed in a group box.
struct FieldPlace {
    QPoint pos;
    QSize size;
};

class ModelForm : public QMdiSubWindow {
    Q_OBJECT
public:
    // Designed sizes of the frame.
    static constexpr int kOuterWidth = 750;
    static constexpr int kOuterHeight = 570;
    static constexpr int kSplitterWidth = 5;
    static constexpr int kGraphMinimum = 110;
    static constexpr int kMargin = 20;
    static constexpr int kGridTop = 20;
    static constexpr int kGridHeightLoss = 50;
    static constexpr int kGraphPercent = 70;
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 25;
    static constexpr int kCancelBelowRun = 50;

    // The window removes itself from memory once closed. `handBack` runs
    // after Cancel closed the window (the caller re-enables its choice).
    ModelForm(const ModelFormSettings &settings, std::function<void()> handBack,
              QWidget *parent = nullptr);
    ~ModelForm() override;

    // Controls of the frame.
    QFrame *inputPanel() const { return m_inputPanel; }
    QGroupBox *ngGroupBox() const { return m_ngGroupBox; }
    QPushButton *runButton() const { return m_runButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *continueButton() const { return m_continueButton; }
    QSplitter *splitter2() const { return m_splitter2; }
    QWidget *outputPanel() const { return m_outputPanel; }
    QWidget *outputGraphPanel() const { return m_graphPanel; }
    QSplitter *splitter3() const { return m_splitter3; }
    QWidget *outputNumbersPanel() const { return m_numbersPanel; }
    QTabWidget *pageControl() const { return m_pageControl; }
    TStringAlignGrid *grid() const { return m_grid; }
    QScrollArea *scrollArea() const { return m_scrollArea; }

    // Places the window in the middle of its multiple-document area (done on
    // the first show; callers may place it elsewhere afterwards).
    void centreInArea();
    // Shows the window at the classroom size (viewScalePercent()): texts,
    // designed places and sizes, grid rows and columns, chart lines and
    // markers. Done on the first show unless the size is 100 %.
    void applyViewScale();

    // Frame handlers; the model windows add their own bodies where marked.
    // Window shown: show the inputs, choose the first chart page, prepare the
    // grid header (model-specific, prepareGrid()).
    virtual void FormShow();
    // Output panel resized: the chart area gets 70 % of its client height.
    void OutputPanelResize();
    // Numbers panel resized: the grid placed and sized (its columns' widths,
    // each plus the window's addend, centred in the panel).
    void OutputNumbersPanelResize();
    // Focus entered the chart area / the grid area: refill from the
    // arithmetic state only.
    virtual void OutputGraphPanelEnter() = 0;
    virtual void OutputNumbersPanelEnter() = 0;

    // The default and cancel keys as the window handles them: Enter presses
    // the focused button, otherwise Run; Esc presses Cancel. Neither acts
    // while the focused control takes the key itself (a spin edit).
    bool pressDefaultButton();
    bool pressCancelButton();
    // Alt+R, the Run button's mnemonic: the focus moves onto Run (a field it
    // leaves settles its value, as on a click), then Run is clicked. False
    // while Run is hidden or disabled.
    bool pressRunButton();

    // The name a report gives a field: its accessible name (the model sets
    // it: "A1->A2 rate"), else the text of the label beside it in its box
    // without the colon, else its box's title.
    static QString fieldName(const KesSpinEditBase *field);
    // Whether the model reads this field's text itself (Run's check that
    // every field reads as a number leaves it out).
    bool readsOwnText(const KesSpinEditBase *field) const
    {
        return m_modelCheckedFields.contains(field);
    }

    // --- results leaving the program (models/ModelFormExport.cpp) ---
    // Whether a run passed; its table is kept until the next run.
    bool hasResults() const;
    // The table of the last passed run; empty before one.
    const RunTable &results() const;
    // The chart on the visible page; nullptr without pages.
    chart::Chart *visibleChart() const;
    // What the visible page draws: its chart or its simplex chart.
    QWidget *visiblePicture() const;
    // Every chart with its page's title, in page order.
    QList<ChartPage> chartPages() const;
    // The table as tab-separated text on the clipboard (Edit, Copy; Ctrl+C
    // in the grid; the grid's "Copy table").
    void copyResults();
    // One save dialog offering the table, the visible chart as a picture or
    // a drawing, the report and, when the table holds a sample of the run's
    // generations and the window can give them all, the table with every
    // generation; writes the file chosen (File, Save As).
    void saveResultsAs();
    // The chart's "Copy picture" and "Save picture..." (PNG or SVG).
    void copyChartPicture(QWidget *chart);
    void saveChartPicture(QWidget *chart);
    // Writes the results in `format` at `path` (the chart for a picture or a
    // drawing: `chart`, else the visible one). A failure is reported, leaves
    // an earlier file as it was, and returns false.
    bool saveResults(const QString &path, ExportFormat format, QWidget *chart = nullptr);

    // --- runs kept for comparison and runs continued (DescribedForm) ---
    // Keep run: the last run stays on the charts behind later runs.
    virtual void keepRun() {}
    virtual void clearKeptRuns() {}
    virtual int keptRunCount() const { return 0; }
    // Continue: the last run made longer by the number of generations the
    // window's field holds; without a last run, or with other inputs, Run.
    virtual void continueRun() { startRun(); }
    // --- the setup's note for the students (models/frame/SetupNote.h) ---
    QString setupNote() const;
    // Shows the note above the inputs (plain text; none when empty).
    void setSetupNote(const QString &note);
    // "Edit note...": a dialog that edits the note, set when confirmed.
    void editSetupNote();

signals:
    // A run passed (results to export), or results were dropped.
    void resultsChanged();

protected:
    // The table of the run just made: the inputs as the fields show them, a
    // header and one row per stored generation from the arithmetic state.
    // Asked once a run has passed; a window without one exports nothing.
    virtual RunTable runTable() const;
    // A field's text as the user reads it, for runTable().
    static QString fieldText(const QLineEdit *field);

    // --- building blocks for the model windows ---
    enum class InputSlot { Frequencies, Parameters };
    // A group box stacked into the input panel in its slot (frequencies below
    // InputPanel1, fitnesses or rates below InputPanel2), hidden until
    // FormShow. A further box in a slot stands below the slot's last one, a
    // spacer's height apart.
    QGroupBox *addGroupBox(InputSlot slot, const QString &name, const QString &caption,
                           const QString &hint, int height);
    QLabel *addLabel(QWidget *box, const QString &name, const QString &text, QPoint pos,
                     int pixelSize = 13);
    TKesRealSpinEdit *addRealField(QWidget *box, const QString &name, FieldPlace place,
                                   long double value, long double minimum,
                                   long double maximum, long double increment,
                                   const QColor &textColor = QColor());
    TKesSpinEdit *addIntField(QWidget *box, const QString &name, FieldPlace place,
                              int value, int minimum, int maximum, int increment);
    // A tab sheet named `sheetName` with `title`, holding a chart named
    // `chartName` that fills it.
    // A picture widget of a page the window builds itself (a simplex chart):
    // its right click offers "Copy picture" and "Save picture...".
    void watchPictureForExport(QWidget *picture);
    chart::Chart *addChartPage(const QString &sheetName, const QString &title,
                               const QString &chartName);

    // The frequency double-click rule: s := the sum of the other fields; when
    // s > 1 show `message` and change nothing, else field := 1 - s.
    void applyFrequencyRule(TKesRealSpinEdit *field,
                            std::initializer_list<const TKesRealSpinEdit *> others,
                            const QString &message);
    void applyFrequencyRule(TKesRealSpinEdit *field, const QList<const TKesRealSpinEdit *> &others,
                            const QString &message);

    // One modal error box with the program's title.
    void showError(const QString &text);

    // Run pressed (the button, Enter, Alt+R): first every field's text must
    // read as a number; the first that does not is reported by its name and
    // text and gets the focus with its text selected, and nothing runs.
    // Then the model's Run handler, runClicked().
    void startRun();
    // The model reads this field's text itself and reports its own errors;
    // startRun leaves it out.
    void leaveTextCheckToModel(const KesSpinEditBase *field);

    // After a passed run: refill the grid, then the charts (by moving the
    // focus into their panels; a panel that already holds the focus is
    // refilled all the same), then show the page control.
    void showResults();

    // The readout of a chart for the pointer at `pos` (chart pixels): only
    // inside its plotting rectangle the chart's hint becomes format(x, y);
    // elsewhere the last readout stays.
    void chartReadout(chart::Chart *chart, const QPoint &pos,
                      const std::function<QString(long double x, long double y)> &format);
    // The readout over a marker: when the pointer at `pos` (chart pixels) lies
    // within kMarkerReach pixels of one of `markers` (axis values), the
    // chart's hint becomes text(index of the nearest) and true is returned;
    // otherwise nothing changes.
    bool markerReadout(chart::Chart *chart, const QPoint &pos, const QList<QPointF> &markers,
                       const std::function<QString(int index)> &text);
    static constexpr int kMarkerReach = 6;
    // The grid's hint for the pointer at `pos` (viewport pixels): the text of
    // the column under it, empty for other columns and outside the cells.
    void gridColumnHint(const QPoint &pos, const QStringList &hints);

    // Whether a key code is Enter (main or keypad).
    static bool isEnterKey(int key);

    // The model's Run handler, called by startRun once every field reads.
    virtual void runClicked() = 0;
    // Cancel clicked (or Esc): the model's Cancel handler, cancelModel().
    virtual void cancelClicked() { cancelModel(); }
    // Writes the grid header and its fonts (the last step of FormShow).
    virtual void prepareGrid() = 0;
    // The chart area was refilled (after OutputGraphPanelEnter passed).
    virtual void graphRefilled() {}
    // Comment lines the export adds after the run's notes.
    virtual QStringList keptRunLines() const { return {}; }

    // Cancel: hide NgGroupBox, the parameter and frequency group boxes (each
    // slot bottom up), Run, Cancel, the page control and the grid in that
    // order, close the window (freed once the current event is over), then
    // hand back.
    void cancelModel();

    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildInputPanel();
    void buildOutputPanel();
    QWidget *buildGraphPanel();
    QWidget *buildNumbersPanel();
    QWidget *marginPanel(QWidget *parent, const QString &name, QSize fixed);
    void buildGrid(QWidget *panel);
    void refill(void (ModelForm::*enter)());
    void fitGridToTexts();
    void enterAfterRun(FocusEntry *entry, void (ModelForm::*enter)());
    bool focusTakesKey() const;
    // The first field whose text does not read as a number; nullptr if none.
    KesSpinEditBase *unreadableField() const;
    // Tab order: the fields (and buttons) of the group boxes top to bottom,
    // Run, Cancel.
    // Returns the first of them.
    QWidget *fixTabOrder();
    // Export plumbing (models/ModelFormExport.cpp).
    std::unique_ptr<RunTable> makeResults() const;
    RunTable exportedTable() const;
    void keepResults(std::unique_ptr<RunTable> table);
    void dropResults();
    void watchChartForExport(chart::Chart *chart);
    void watchGridForExport();
    // The note's menu: a right click on the note or the input panel
    // (models/frame/SetupNote.cpp).
    void watchForNoteEdits();
    void showNoteMenu(const QPoint &globalPos);
    bool gridExportEvent(QEvent *event);
    void showChartMenu(QWidget *chart, const QPoint &globalPos);
    void showGridMenu(const QPoint &globalPos);
    void askAndSave(const QList<ExportFormat> &formats, ExportFormat initial, QWidget *chart);
    bool saveEveryGeneration(const QString &path);

    ModelFormSettings m_settings;
    QScrollArea *m_scrollArea = nullptr;
    std::function<void()> m_handBack;
    bool m_shownOnce = false;
    bool m_closing = false;
    bool m_refillFailed = false;
    bool m_refilling = false;

    QWidget *m_client = nullptr;
    QSplitter *m_splitter2 = nullptr;
    QFrame *m_inputPanel = nullptr;
    QList<QWidget *> m_spacers;
    // Every field in the order added, and those the model checks itself.
    QList<KesSpinEditBase *> m_fields;
    QList<const KesSpinEditBase *> m_modelCheckedFields;
    // The group boxes of each slot, top to bottom.
    QList<QGroupBox *> m_frequencyBoxes;
    QList<QGroupBox *> m_parameterBoxes;
    QGroupBox *m_ngGroupBox = nullptr;
    QPushButton *m_runButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_continueButton = nullptr;
    QWidget *m_outputPanel = nullptr;
    QSplitter *m_splitter3 = nullptr;
    QWidget *m_graphPanel = nullptr;
    QTabWidget *m_pageControl = nullptr;
    QWidget *m_numbersPanel = nullptr;
    TStringAlignGrid *m_grid = nullptr;
    FocusEntry *m_graphEntry = nullptr;
    FocusEntry *m_numbersEntry = nullptr;
    std::unique_ptr<RunTable> m_results;
    NoteStrip *m_setupNote = nullptr;
};

} // namespace morva

#endif
