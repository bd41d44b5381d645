#include "models/frame/ModelForm.h"

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/SimplexChart.h"
#include "controls/KesSpinEdits1.h"
#include "models/frame/RunTable.h"
#include "models/frame/ViewScale.h"
#include "models/frame/SetupNote.h"
#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "platform/Desktop.h"
#include "platform/FocusEntry.h"
#include "platform/Hint.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QShortcutEvent>
#include <QShowEvent>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace morva {

namespace {

// A splitter bar painted in one solid colour: the active caption colour.
class BarHandle : public QSplitterHandle {
public:
    BarHandle(Qt::Orientation orientation, QSplitter *parent)
        : QSplitterHandle(orientation, parent)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Active, QPalette::Highlight));
    }
};

class BarSplitter : public QSplitter {
public:
    BarSplitter(Qt::Orientation orientation, const QString &name, QWidget *parent)
        : QSplitter(orientation, parent)
    {
        setObjectName(name);
        setHandleWidth(ModelForm::kSplitterWidth);
        setChildrenCollapsible(false);
        setOpaqueResize(true);
    }

protected:
    QSplitterHandle *createHandle() override { return new BarHandle(orientation(), this); }
};

QFont pixelFont(const QFont &base, int pixelSize)
{
    QFont font = base;
    font.setPixelSize(pixelSize);
    return font;
}

constexpr int kWindowFontPixels = 13;
constexpr int kPanelFontPixels = 11;
constexpr int kGridColumnWidth = 60;
constexpr int kGridRowHeight = 18;

} // namespace

ModelForm::ModelForm(const ModelFormSettings &settings, std::function<void()> handBack,
                     QWidget *parent)
    : QMdiSubWindow(parent)
    , m_settings(settings)
    , m_handBack(std::move(handBack))
{
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setSystemMenu(nullptr);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_settings.caption);
    setWindowIcon(applicationIcon());
    setFont(pixelFont(font(), kWindowFontPixels));

    m_client = new QWidget;
    m_client->setObjectName(QStringLiteral("ClientArea"));
    auto *clientLayout = new QVBoxLayout(m_client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);
    // A setup's note stands above the inputs and the outputs alike.
    m_setupNote = new NoteStrip(m_client);
    clientLayout->addWidget(m_setupNote);
    m_splitter2 = new BarSplitter(Qt::Horizontal, QStringLiteral("Splitter2"), m_client);
    clientLayout->addWidget(m_splitter2, 1);

    buildInputPanel();
    buildOutputPanel();
    m_splitter2->addWidget(m_inputPanel);
    m_splitter2->addWidget(m_outputPanel);
    m_splitter2->setStretchFactor(0, 0);
    m_splitter2->setStretchFactor(1, 1);
    m_splitter2->setSizes({m_settings.inputPanelWidth, kOuterWidth - m_settings.inputPanelWidth});

    m_scrollArea = new QScrollArea;
    m_scrollArea->setObjectName(QStringLiteral("ScrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setWidgetResizable(true);
    // Scrolled to, Cancel always stands whole: the client is as tall as the
    // input panel needs, also where that is more than the scroll range.
    m_client->setMinimumSize(m_settings.scrollRange.width(), m_inputPanel->minimumHeight());
    m_scrollArea->setWidget(m_client);
    setWidget(m_scrollArea);

    m_numbersEntry = new FocusEntry(m_numbersPanel,
                                    [this] { refill(&ModelForm::OutputNumbersPanelEnter); });
    m_graphEntry = new FocusEntry(m_graphPanel,
                                  [this] { refill(&ModelForm::OutputGraphPanelEnter); });

    connect(m_runButton, &QPushButton::clicked, this,
            guardedSlot([this] { startRun(); }));
    connect(m_cancelButton, &QPushButton::clicked, this,
            guardedSlot([this] { cancelClicked(); }));
    connect(m_continueButton, &QPushButton::clicked, this,
            guardedSlot([this] { continueRun(); }));
    watchGridForExport();
    watchForNoteEdits();

    resize(kOuterWidth, kOuterHeight);
}

ModelForm::~ModelForm()
{
    // No refill may run while the panels are torn down.
    m_closing = true;
    delete m_graphEntry;
    delete m_numbersEntry;
}

void ModelForm::buildInputPanel()
{
    m_inputPanel = new QFrame;
    m_inputPanel->setObjectName(QStringLiteral("InputPanel"));
    m_inputPanel->setFrameShape(QFrame::Box);
    m_inputPanel->setFrameShadow(QFrame::Plain);
    m_inputPanel->setLineWidth(1);
    m_inputPanel->setFont(pixelFont(font(), kPanelFontPixels));
    m_inputPanel->setMinimumWidth(m_settings.inputPanelWidth);

    auto *stack = new QVBoxLayout(m_inputPanel);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    for (int i = 1; i <= 3; ++i) {
        auto *spacer = new QWidget(m_inputPanel);
        spacer->setObjectName(QStringLiteral("InputPanel%1").arg(i));
        spacer->setFixedHeight(m_settings.spacerHeight);
        stack->addWidget(spacer);
        m_spacers.append(spacer);
    }

    m_ngGroupBox = new QGroupBox(QStringLiteral(" Number of generations "), m_inputPanel);
    m_ngGroupBox->setObjectName(QStringLiteral("NgGroupBox"));
    m_ngGroupBox->setStatusTip(QStringLiteral("Set number of generations"));
    m_ngGroupBox->setFixedHeight(m_settings.ngBoxHeight);
    m_ngGroupBox->hide();
    stack->addWidget(m_ngGroupBox);
    stack->addStretch(1);

    // Run and Cancel stand at fixed places of the panel's client area.
    const QPoint origin(m_inputPanel->frameWidth(), m_inputPanel->frameWidth());
    const auto makeButton = [this](const QString &name, const QString &caption,
                                   const QString &hint, QPoint pos) {
        auto *button = new QPushButton(caption, m_inputPanel);
        button->setObjectName(name);
        button->setStatusTip(hint);
        button->setAutoDefault(false);
        button->setGeometry(QRect(pos, QSize(kButtonWidth, kButtonHeight)));
        button->hide();
        return button;
    };
    m_runButton = makeButton(m_settings.runName, QStringLiteral("&Run"),
                             QStringLiteral("Click to continue"), origin + m_settings.runPos);
    // Drawn as the default button: Enter runs unless a field or another
    // button takes it (keyPressEvent).
    m_runButton->setDefault(true);
    m_runButton->installEventFilter(this);
    m_cancelButton = makeButton(m_settings.cancelName, QStringLiteral("&Cancel"),
                                QStringLiteral("Click to cancel this model"),
                                origin + m_settings.runPos + QPoint(0, kCancelBelowRun));
    // Continue stands below Cancel, as far from it as Cancel from Run.
    m_continueButton = makeButton(QStringLiteral("ContinueBtn"), QStringLiteral("C&ontinue"),
                                  QStringLiteral("Run on from where the last run ended, by the "
                                                 "number of generations"),
                                  origin + m_settings.runPos + QPoint(0, 2 * kCancelBelowRun));
    // What the panel needs to show Cancel, the window's only way out (the
    // designed sizes stand; a panel too low for Continue leaves it to the
    // Run menu).
    m_inputPanel->setMinimumHeight(m_cancelButton->geometry().bottom() + 1 + kButtonHeight / 2);
}

void ModelForm::buildOutputPanel()
{
    m_outputPanel = new QWidget;
    m_outputPanel->setObjectName(QStringLiteral("OutputPanel"));
    m_outputPanel->setFont(pixelFont(font(), kPanelFontPixels));
    // Splitter2 leaves each side at least the input panel's width.
    m_outputPanel->setMinimumWidth(m_settings.inputPanelWidth);
    m_outputPanel->installEventFilter(this);

    m_splitter3 = new BarSplitter(Qt::Vertical, QStringLiteral("Splitter3"), m_outputPanel);
    m_splitter3->addWidget(buildGraphPanel());
    m_splitter3->addWidget(buildNumbersPanel());
    m_splitter3->setStretchFactor(0, 0);
    m_splitter3->setStretchFactor(1, 1);
}

QWidget *ModelForm::marginPanel(QWidget *parent, const QString &name, QSize fixed)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    if (fixed.width() > 0)
        panel->setFixedWidth(fixed.width());
    if (fixed.height() > 0)
        panel->setFixedHeight(fixed.height());
    return panel;
}

QWidget *ModelForm::buildGraphPanel()
{
    m_graphPanel = new QWidget;
    m_graphPanel->setObjectName(QStringLiteral("OutputGraphPanel"));
    m_graphPanel->setMinimumHeight(kGraphMinimum);

    auto *grid = new QGridLayout(m_graphPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(marginPanel(m_graphPanel, QStringLiteral("OutputGraphPanelTop"), {0, kMargin}),
                    0, 0, 1, 3);
    grid->addWidget(marginPanel(m_graphPanel, QStringLiteral("OutputGraphPanelLeft"), {kMargin, 0}),
                    1, 0);
    grid->addWidget(marginPanel(m_graphPanel, QStringLiteral("OutputGraphPanelRight"), {kMargin, 0}),
                    1, 2);
    grid->addWidget(marginPanel(m_graphPanel, QStringLiteral("OutputGraphPanelBot"), {0, kMargin}),
                    2, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    m_pageControl = new QTabWidget(m_graphPanel);
    m_pageControl->setObjectName(m_settings.pageControlName);
    m_pageControl->setFocusPolicy(Qt::StrongFocus);
    m_pageControl->tabBar()->setFocusPolicy(Qt::StrongFocus);
    m_pageControl->hide();
    grid->addWidget(m_pageControl, 1, 1);
    m_graphPanel->setFocusProxy(m_pageControl);
    return m_graphPanel;
}

QWidget *ModelForm::buildNumbersPanel()
{
    m_numbersPanel = new QWidget;
    m_numbersPanel->setObjectName(QStringLiteral("OutputNumbersPanel"));
    m_numbersPanel->setMinimumHeight(kGraphMinimum);
    m_numbersPanel->installEventFilter(this);
    marginPanel(m_numbersPanel, QStringLiteral("OutputNumbersPanelTop"), {0, kMargin});
    marginPanel(m_numbersPanel, QStringLiteral("OutputNumbersPanelBot"), {0, kMargin});
    buildGrid(m_numbersPanel);
    m_numbersPanel->setFocusProxy(m_grid);
    return m_numbersPanel;
}

void ModelForm::buildGrid(QWidget *panel)
{
    m_grid = new TStringAlignGrid(panel);
    m_grid->setObjectName(m_settings.gridName);
    m_grid->setColCount(m_settings.gridColumns);
    m_grid->setRowCount(2);
    m_grid->setFixedCols(0);
    m_grid->setFixedRows(1);
    m_grid->setDefaultColWidth(kGridColumnWidth);
    m_grid->setDefaultRowHeight(kGridRowHeight);
    m_grid->setAlignment(alCenter);
    m_grid->hide();
}

// --- building blocks ---

QGroupBox *ModelForm::addGroupBox(InputSlot slot, const QString &name, const QString &caption,
                                  const QString &hint, int height)
{
    auto *box = new QGroupBox(caption, m_inputPanel);
    box->setObjectName(name);
    box->setStatusTip(hint);
    box->setFixedHeight(height);
    box->hide();
    auto *stack = static_cast<QVBoxLayout *>(m_inputPanel->layout());
    QList<QGroupBox *> &inSlot =
        slot == InputSlot::Frequencies ? m_frequencyBoxes : m_parameterBoxes;
    QWidget *above = inSlot.isEmpty() ? m_spacers.at(slot == InputSlot::Frequencies ? 0 : 1)
                                      : inSlot.last();
    int at = stack->indexOf(above) + 1;
    if (!inSlot.isEmpty()) {
        auto *gap = new QWidget(m_inputPanel);
        gap->setObjectName(QStringLiteral("InputPanelGap"));
        gap->setFixedHeight(m_settings.spacerHeight);
        stack->insertWidget(at++, gap);
    }
    stack->insertWidget(at, box);
    inSlot.append(box);
    return box;
}

QLabel *ModelForm::addLabel(QWidget *box, const QString &name, const QString &text, QPoint pos,
                            int pixelSize)
{
    auto *label = new QLabel(text, box);
    label->setObjectName(name);
    label->setFont(pixelFont(box->font(), pixelSize));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->move(pos);
    label->adjustSize();
    return label;
}

TKesRealSpinEdit *ModelForm::addRealField(QWidget *box, const QString &name, FieldPlace place,
                                          long double value, long double minimum,
                                          long double maximum, long double increment,
                                          const QColor &textColor)
{
    auto *field = new TKesRealSpinEdit(box);
    field->setObjectName(name);
    field->setGeometry(QRect(place.pos, place.size));
    field->setMinValue(minimum);
    field->setMaxValue(maximum);
    field->setIncrement(increment);
    field->setValue(value);
    m_fields.append(field);
    if (textColor.isValid()) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Text, textColor);
        field->setPalette(palette);
    }
    return field;
}

TKesSpinEdit *ModelForm::addIntField(QWidget *box, const QString &name, FieldPlace place,
                                     int value, int minimum, int maximum, int increment)
{
    auto *field = new TKesSpinEdit(box);
    field->setObjectName(name);
    field->setGeometry(QRect(place.pos, place.size));
    field->setMinValue(minimum);
    field->setMaxValue(maximum);
    field->setIncrement(increment);
    field->setValue(value);
    m_fields.append(field);
    return field;
}

chart::Chart *ModelForm::addChartPage(const QString &sheetName, const QString &title,
                                      const QString &chartName)
{
    auto *sheet = new QWidget;
    sheet->setObjectName(sheetName);
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *chart = new chart::Chart(sheet);
    chart->setObjectName(chartName);
    layout->addWidget(chart);
    m_pageControl->addTab(sheet, title);
    watchChartForExport(chart);
    return chart;
}

// --- mechanisms ---

void ModelForm::applyFrequencyRule(TKesRealSpinEdit *field,
                                   std::initializer_list<const TKesRealSpinEdit *> others,
                                   const QString &message)
{
    applyFrequencyRule(field, QList<const TKesRealSpinEdit *>(others), message);
}

void ModelForm::applyFrequencyRule(TKesRealSpinEdit *field,
                                   const QList<const TKesRealSpinEdit *> &others,
                                   const QString &message)
{
    long double sum = 0.0L;
    for (const TKesRealSpinEdit *other : others)
        sum += other->value();
    if (sum > 1.0L) {
        showError(message);
        return;
    }
    field->setValue(1.0L - sum);
}

void ModelForm::showError(const QString &text)
{
    desktop().showMessage(this, MessageIcon::Error, QString::fromLatin1(kApplicationTitle), text);
}

QString ModelForm::fieldName(const KesSpinEditBase *field)
{
    if (!field->accessibleName().isEmpty())
        return field->accessibleName();
    // The nearest label to the left of the field on its row.
    const QRect place = field->geometry();
    const QLabel *beside = nullptr;
    for (const QLabel *label : field->parentWidget()->findChildren<QLabel *>(
             Qt::FindDirectChildrenOnly)) {
        const QRect at = label->geometry();
        const bool sameRow = at.top() <= place.bottom() && at.bottom() >= place.top();
        if (sameRow && at.center().x() < place.left()
            && (!beside || at.right() > beside->geometry().right()))
            beside = label;
    }
    QString name;
    if (beside)
        name = beside->text().remove(QLatin1Char('&')).trimmed();
    else if (auto *box = qobject_cast<const QGroupBox *>(field->parentWidget()))
        name = box->title().trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.isEmpty() ? field->objectName() : name;
}

void ModelForm::leaveTextCheckToModel(const KesSpinEditBase *field)
{
    m_modelCheckedFields.append(field);
}

KesSpinEditBase *ModelForm::unreadableField() const
{
    for (KesSpinEditBase *field : m_fields) {
        if (!field->textIsNumber() && !m_modelCheckedFields.contains(field))
            return field;
    }
    return nullptr;
}

void ModelForm::startRun()
{
    if (KesSpinEditBase *field = unreadableField()) {
        const QString what = qobject_cast<TKesSpinEdit *>(field)
                                 ? QStringLiteral("%1: \"%2\" is not a whole number")
                                 : QStringLiteral("%1: \"%2\" is not a number");
        // The focus goes first, so that the box hands it back to the field.
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        showError(what.arg(fieldName(field), field->text()));
        return;
    }
    runClicked();
}

void ModelForm::refill(void (ModelForm::*enter)())
{
    // Showing the grid at the end of its refill hands it the focus it was
    // given while hidden; that entry comes from inside the refill itself and
    // is no new one.
    if (m_closing || m_refilling)
        return;
    const QScopedValueRollback<bool> busy(m_refilling, true);
    if (!guarded([this, enter] { (this->*enter)(); })) {
        m_refillFailed = true;
        return;
    }
    if (enter == &ModelForm::OutputNumbersPanelEnter)
        fitGridToTexts();
    else if (!guarded([this] { graphRefilled(); }))
        m_refillFailed = true;
}

// The designed column widths assume the designed font; the font in use may
// be wider. After each refill (never inside it) the columns grow to show
// their widest texts whole, and the grid is placed again for its new width.
void ModelForm::fitGridToTexts()
{
    m_grid->fitColumnsToTexts();
    OutputNumbersPanelResize();
}

void ModelForm::enterAfterRun(FocusEntry *entry, void (ModelForm::*enter)())
{
    // Focus already inside the panel (Enter pressed Run from the grid) is no
    // entry, yet the panel must show the new run: refill it here.
    const bool wasInside = entry->contains(focusWidget());
    entry->focusInto();
    if (wasInside)
        refill(enter);
}

void ModelForm::showResults()
{
    // The run's table is made before the refills move the focus (a field
    // left may rewrite its text) and kept once they passed. The arithmetic
    // state changed: the last run's table goes; a refill that fails is
    // reported by its guard and ends the run there, without one.
    std::unique_ptr<RunTable> table = makeResults();
    dropResults();
    m_refillFailed = false;
    enterAfterRun(m_numbersEntry, &ModelForm::OutputNumbersPanelEnter);
    if (m_refillFailed)
        return;
    // A new run is shown whole, unless the chart keeps its zoom.
    for (chart::Chart *chart : m_pageControl->findChildren<chart::Chart *>()) {
        if (!chart->keepsZoomOnRun())
            chart->resetZoom();
    }
    for (chart::SimplexChart *simplex : m_pageControl->findChildren<chart::SimplexChart *>()) {
        if (!simplex->keepsZoomOnRun())
            simplex->resetZoom();
    }
    enterAfterRun(m_graphEntry, &ModelForm::OutputGraphPanelEnter);
    if (m_refillFailed)
        return;
    m_pageControl->show();
    keepResults(std::move(table));
}

void ModelForm::cancelModel()
{
    m_closing = true;
    // The results go with the window (the frame's Copy and Save As follow).
    dropResults();
    QList<QWidget *> hides{m_ngGroupBox};
    for (const QList<QGroupBox *> *slot : {&m_parameterBoxes, &m_frequencyBoxes}) {
        for (auto box = slot->crbegin(); box != slot->crend(); ++box)
            hides.append(*box);
    }
    hides << m_runButton << m_cancelButton << m_continueButton << m_pageControl << m_grid;
    for (QWidget *widget : std::as_const(hides))
        widget->hide();
    // The hook may run after this object is gone; keep our own copy.
    const std::function<void()> handBack = m_handBack;
    close();
    if (handBack)
        handBack();
}

void ModelForm::FormShow()
{
    for (QGroupBox *box : m_frequencyBoxes + m_parameterBoxes)
        box->show();
    for (QWidget *widget : {static_cast<QWidget *>(m_ngGroupBox),
                            static_cast<QWidget *>(m_runButton),
                            static_cast<QWidget *>(m_cancelButton),
                            static_cast<QWidget *>(m_continueButton)})
        widget->show();
    if (m_pageControl->count() > 0)
        m_pageControl->setCurrentIndex(0);
    prepareGrid();
}

void ModelForm::OutputPanelResize()
{
    const QRect client = m_outputPanel->rect();
    m_splitter3->setGeometry(client);
    const int graphHeight = client.height() * kGraphPercent / 100;
    const int rest = std::max(0, client.height() - graphHeight - m_splitter3->handleWidth());
    m_splitter3->setSizes({graphHeight, rest});
}

void ModelForm::OutputNumbersPanelResize()
{
    const QSize client = m_numbersPanel->size();
    if (auto *top = m_numbersPanel->findChild<QWidget *>(QStringLiteral("OutputNumbersPanelTop")))
        top->setGeometry(0, 0, client.width(), kMargin);
    if (auto *bottom = m_numbersPanel->findChild<QWidget *>(QStringLiteral("OutputNumbersPanelBot")))
        bottom->setGeometry(0, client.height() - kMargin, client.width(), kMargin);

    int width = 0;
    for (int col = 0; col < m_grid->colCount(); ++col)
        width += m_grid->colWidth(col) + m_settings.gridWidthAddend;
    // A panel lower than the grid's margins leaves the grid empty, never
    // negative.
    const int height = std::max(0, client.height() - kGridHeightLoss);
    // A grid that fits stands centred. Integer division truncates toward
    // zero, as the centring wants.
    if (m_settings.gridFitsPanel)
        width = std::min(width, client.width());
    const int left = (client.width() - width) / 2;
    m_grid->setGeometry(left, kGridTop, width, height);
}

void ModelForm::chartReadout(chart::Chart *chart, const QPoint &pos,
                             const std::function<QString(long double, long double)> &format)
{
    if (!chart->plotRect().contains(pos))
        return;
    const long double x = chart->bottomValueAt(pos.x());
    const long double y = chart->leftValueAt(pos.y());
    setHint(chart, format(x, y));
}

bool ModelForm::markerReadout(chart::Chart *chart, const QPoint &pos,
                              const QList<QPointF> &markers,
                              const std::function<QString(int)> &text)
{
    const QRect plot = chart->plotRect();
    const chart::Axis *bottom = chart->bottomAxis();
    const chart::Axis *left = chart->leftAxis();
    const double width = bottom->maximum() - bottom->minimum();
    const double height = left->maximum() - left->minimum();
    if (plot.isEmpty() || !(width > 0) || !(height > 0))
        return false;
    // The inverse of Chart::bottomValueAt and Chart::leftValueAt.
    const auto pixel = [&](const QPointF &at) {
        return QPointF(plot.left() + (at.x() - bottom->minimum()) * plot.width() / width,
                       plot.top() + plot.height()
                           - (at.y() - left->minimum()) * plot.height() / height);
    };
    int nearest = -1;
    double best = kMarkerReach * kMarkerReach;
    for (qsizetype i = 0; i < markers.size(); ++i) {
        const QPointF off = pixel(markers.at(i)) - QPointF(pos);
        const double squared = QPointF::dotProduct(off, off);
        if (squared <= best) {
            best = squared;
            nearest = int(i);
        }
    }
    if (nearest < 0)
        return false;
    setHint(chart, text(nearest));
    return true;
}

void ModelForm::gridColumnHint(const QPoint &pos, const QStringList &hints)
{
    int col = -1;
    int row = -1;
    QString text;
    if (m_grid->mouseToCell(pos, &col, &row) && col >= 0 && col < hints.size())
        text = hints.at(col);
    setHint(m_grid, text);
}

bool ModelForm::isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void ModelForm::centreInArea()
{
    QMdiArea *area = mdiArea();
    if (!area)
        return;
    const QSize room = area->viewport()->size();
    move(std::max(0, (room.width() - width()) / 2), std::max(0, (room.height() - height()) / 2));
}

// --- keys and events ---

bool ModelForm::focusTakesKey() const
{
    for (QWidget *widget = QApplication::focusWidget(); widget && widget != this;
         widget = widget->parentWidget()) {
        if (qobject_cast<KesSpinEditBase *>(widget))
            return true;
    }
    return false;
}

bool ModelForm::pressDefaultButton()
{
    if (focusTakesKey())
        return false;
    QWidget *focus = QApplication::focusWidget();
    if (auto *button = qobject_cast<QPushButton *>(focus); button && isAncestorOf(button)) {
        if (!button->isVisible() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
    if (!m_runButton->isVisible() || !m_runButton->isEnabled())
        return false;
    m_runButton->click();
    return true;
}

bool ModelForm::pressRunButton()
{
    if (!m_runButton->isVisible() || !m_runButton->isEnabled())
        return false;
    m_runButton->setFocus(Qt::ShortcutFocusReason);
    m_runButton->click();
    return true;
}

bool ModelForm::pressCancelButton()
{
    if (focusTakesKey() || !m_cancelButton->isVisible() || !m_cancelButton->isEnabled())
        return false;
    m_cancelButton->click();
    return true;
}

void ModelForm::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        const bool pressed = isEnterKey(event->key())          ? pressDefaultButton()
                             : event->key() == Qt::Key_Escape ? pressCancelButton()
                                                              : false;
        if (pressed) {
            event->accept();
            return;
        }
    }
    QMdiSubWindow::keyPressEvent(event);
}

void ModelForm::applyViewScale()
{
    const int percent = viewScalePercent();
    const double factor = percent / 100.0;
    scaleWidgets(this, percent);
    m_grid->setDefaultRowHeight(int(std::lround(kGridRowHeight * factor)));
    m_grid->setDefaultColWidth(int(std::lround(kGridColumnWidth * factor)));
    // The grid's column and cell fonts were taken from its font when made.
    for (TMyFont *entry : m_grid->findChildren<TMyFont *>()) {
        QFont font = entry->font();
        font.setPixelSize(m_grid->font().pixelSize());
        entry->setFont(font);
    }
    for (chart::Chart *chart : findChildren<chart::Chart *>())
        chart->setScale(factor);
    m_splitter2->setSizes({m_inputPanel->minimumWidth(),
                           std::max(m_splitter2->width() - m_inputPanel->minimumWidth(),
                                    m_outputPanel->minimumWidth())});
    if (m_grid->isVisible())
        fitGridToTexts();
}

void ModelForm::showEvent(QShowEvent *event)
{
    QMdiSubWindow::showEvent(event);
    if (event->spontaneous())
        return;
    const bool first = !m_shownOnce;
    if (first) {
        m_shownOnce = true;
        if (viewScalePercent() != 100)
            applyViewScale();
        centreInArea();
    }
    guarded([this] { FormShow(); });
    if (first) {
        // The window starts with the focus on its first field, never in an
        // output panel (which would refill it before any run).
        if (QWidget *start = fixTabOrder())
            start->setFocus(Qt::OtherFocusReason);
    }
}

QWidget *ModelForm::fixTabOrder()
{
    // The fields (and any other control that takes the focus by Tab, such as
    // a button in a box) box by box from the top; inside a box in the order
    // the focus chain already has them (a model may have arranged it); then
    // Run, Cancel.
    const QList<QGroupBox *> boxes = m_frequencyBoxes + m_parameterBoxes + QList{m_ngGroupBox};
    QList<QList<QWidget *>> fields(boxes.size());
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus))
            continue;
        const qsizetype box = boxes.indexOf(qobject_cast<QGroupBox *>(w->parentWidget()));
        if (box >= 0 && !fields[box].contains(w))
            fields[box].append(w);
    }
    QList<QWidget *> chain;
    for (const QList<QWidget *> &inBox : std::as_const(fields))
        chain += inBox;
    chain << m_runButton << m_cancelButton << m_continueButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
    return chain.first();
}

bool ModelForm::eventFilter(QObject *watched, QEvent *event)
{
    // Run's mnemonic: settle the field being left, then run, at once (the
    // button would only flash and click later, the field still focused).
    if (watched == m_runButton && event->type() == QEvent::Shortcut
        && !static_cast<QShortcutEvent *>(event)->isAmbiguous()) {
        pressRunButton();
        return true;
    }
    if (watched == m_grid && gridExportEvent(event))
        return true;
    if (event->type() == QEvent::Resize) {
        if (watched == m_outputPanel)
            guarded([this] { OutputPanelResize(); });
        else if (watched == m_numbersPanel)
            guarded([this] { OutputNumbersPanelResize(); });
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

} // namespace morva
