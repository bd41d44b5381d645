#include "shell/About.h"

#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "platform/Desktop.h"
#include "shell/AboutPictures.h"
#include "shell/DesignFont.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace morva::shell {

QPointer<TAboutBox> AboutBox;

namespace {

constexpr int kClientWidth = 322;
constexpr int kClientHeight = 238;

const QString kVersion = QStringLiteral("Version pre-alpha 99.03.0 (Bugs95)");
const QString kCopyright = QStringLiteral("(C) 1999 The MORVA authors");
const QString kDescription = QStringLiteral("Population Genetics Simulator");
const QString kComments = QStringLiteral("Comments welcome!");

// The dedication's lines: x, the line's offset in text heights, the text.
struct DedicationLine {
    int x;
    int row;
    QString text;
};

QString signature()
{
    return QStringLiteral("The MORVA team").leftJustified(31, QLatin1Char(' '));
}

QList<DedicationLine> dedicationLines()
{
    return {
        {30, 0, QStringLiteral("To the friends and colleagues,")},
        {30, 1, QStringLiteral("students and masters,         ")},
        {30, 2, QStringLiteral("past and present,              ")},
        {30, 3, QStringLiteral("who give me length of days     ")},
        {30, 4, QString(60, QLatin1Char(' '))},
        {150, 5, signature()},
        {150, 6, QString(32, QLatin1Char(' '))},
    };
}

// A centred label whose text is wider than its designed box (the system's
// face may be wider than the designed one) grows about its centre, within
// `room`, so that the whole text shows.
void keepTextInView(QLabel *label, const QRect &room)
{
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    if (needed <= label->width())
        return;
    const int width = std::min(needed, room.width());
    const int left = std::clamp(label->geometry().center().x() - width / 2, room.left(),
                                room.right() + 1 - width);
    label->setGeometry(left, label->y(), width, label->height());
}

QPoint mousePosition(const QMouseEvent *event)
{
    return event->position().toPoint();
}

} // namespace

// ---------------------------------------------------------------- Delay

void Delay(quint16 seconds, quint16 milliseconds)
{
    const qint64 total = qint64(seconds / 60) * 60'000 + qint64(seconds % 60) * 1000 + milliseconds;
    const QDeadlineTimer target(total, Qt::PreciseTimer);
    while (!target.hasExpired()) {
        // A timer wakes the wait when nothing else arrives before the target.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(int(std::max<qint64>(0, target.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

// ---------------------------------------------------------------- paint box

DedicationPaintBox::DedicationPaintBox(QWidget *parent) : QWidget(parent) {}

void DedicationPaintBox::drawOpaqueText(int x, int y, const QString &text)
{
    fitImage();
    QPainter painter(&m_image);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    painter.fillRect(box, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(x, y + metrics.ascent(), text);
    update(box);
}

void DedicationPaintBox::clear()
{
    m_image.fill(Qt::transparent);
    update();
}

void DedicationPaintBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_image);
}

void DedicationPaintBox::resizeEvent(QResizeEvent *)
{
    fitImage();
}

void DedicationPaintBox::fitImage()
{
    if (m_image.size() == size())
        return;
    QPixmap resized(size());
    resized.fill(Qt::transparent);
    if (!m_image.isNull()) {
        QPainter painter(&resized);
        painter.drawPixmap(0, 0, m_image);
    }
    m_image = resized;
}

// ---------------------------------------------------------------- the box

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QLatin1String(kAboutCaption));
    setWindowIcon(applicationIcon());
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    setFixedSize(kClientWidth, kClientHeight);

    // Created first so that it lies beneath both panels.
    PaintBox1 = new DedicationPaintBox(this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setFont(designFont(QStringLiteral("Arial"), 19));
    PaintBox1->setGeometry(1, 25, 320, 140);

    createMainPanel();
    createPhotoPanel();
    createButtons();
}

TAboutBox::~TAboutBox() = default;

QLabel *TAboutBox::addLabel(QWidget *parent, const char *name, const QString &text,
                            const QRect &layout)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(layout);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

void TAboutBox::createMainPanel()
{
    MainPanel = new QFrame(this);
    MainPanel->setObjectName(QStringLiteral("MainPanel"));
    MainPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    MainPanel->setLineWidth(1);
    MainPanel->setAutoFillBackground(true);
    MainPanel->setGeometry(8, 8, 310, 180);

    ProgramIcon = new QLabel(MainPanel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(18, 13, 95, 77);
    ProgramIcon->setPixmap(programPicture(ProgramIcon->size()));
    ProgramIcon->installEventFilter(this);

    ProductNameLabel = addLabel(MainPanel, "ProductNameLabel", QStringLiteral("MORVA"),
                                QRect(130, 15, 160, 20));
    ProductNameLabel->setFont(designFont(QStringLiteral("MS Sans Serif"), 19));
    VersionLabel = addLabel(MainPanel, "VersionLabel", kVersion, QRect(128, 45, 170, 13));
    CopyrightLabel = addLabel(MainPanel, "CopyrightLabel", kCopyright, QRect(130, 65, 160, 13));
    CommentsLabel = addLabel(MainPanel, "CommentsLabel", kComments, QRect(25, 150, 250, 15));
    CommentsLabel->setWordWrap(true);
    ProductDesriptionLabel = addLabel(MainPanel, "ProductDesriptionLabel", kDescription,
                                      QRect(2, 100, 305, 15));
    ProductDesriptionLabel->setFont(designFont(QStringLiteral("MS Sans Serif"), 13, true));
    ProductDesriptionLabel->installEventFilter(this);
    // The labels beside the picture keep clear of it.
    const QRect panel = MainPanel->contentsRect();
    const QRect besidePicture(ProgramIcon->geometry().right() + 2, panel.top(),
                              panel.right() - ProgramIcon->geometry().right() - 1, panel.height());
    for (QLabel *label : {ProductNameLabel, VersionLabel, CopyrightLabel})
        keepTextInView(label, besidePicture);
    for (QLabel *label : {CommentsLabel, ProductDesriptionLabel})
        keepTextInView(label, panel);

    UrlBtn = new QPushButton(QLatin1String(kHomePage), MainPanel);
    UrlBtn->setObjectName(QStringLiteral("UrlBtn"));
    UrlBtn->setGeometry(65, 125, 180, 20);
    UrlBtn->setAutoDefault(false);
    QPalette blue = UrlBtn->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    UrlBtn->setPalette(blue);
    connect(UrlBtn, &QPushButton::clicked, this,
            guardedSlot([this] { UrlBtnClick(UrlBtn); }));
}

void TAboutBox::createPhotoPanel()
{
    PhotoPanel = new QFrame(this);
    PhotoPanel->setObjectName(QStringLiteral("PhotoPanel"));
    PhotoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PhotoPanel->setLineWidth(2);
    PhotoPanel->setAutoFillBackground(true);
    PhotoPanel->setGeometry(104, 35, 117, 127);
    PhotoPanel->hide();

    const QRect photoLayout(3, 3, 110, 120);
    SecondPhotoImage = new QLabel(PhotoPanel);
    SecondPhotoImage->setObjectName(QStringLiteral("SecondPhotoImage"));
    SecondPhotoImage->setGeometry(photoLayout);
    SecondPhotoImage->setScaledContents(true);
    SecondPhotoImage->setPixmap(groupPhoto(2, photoLayout.size()));
    SecondPhotoImage->hide();
    SecondPhotoImage->installEventFilter(this);

    // Created after the second so that it lies above it.
    FirstPhotoImage = new QLabel(PhotoPanel);
    FirstPhotoImage->setObjectName(QStringLiteral("FirstPhotoImage"));
    FirstPhotoImage->setGeometry(photoLayout);
    FirstPhotoImage->setScaledContents(true);
    FirstPhotoImage->setPixmap(groupPhoto(1, photoLayout.size()));
    FirstPhotoImage->hide();
    FirstPhotoImage->installEventFilter(this);
}

void TAboutBox::createButtons()
{
    OkBitBtn = new QPushButton(okGlyph(), QStringLiteral("&OK"), this);
    OkBitBtn->setObjectName(QStringLiteral("OkBitBtn"));
    OkBitBtn->setGeometry(131, 200, 70, 26);
    OkBitBtn->setDefault(true);
    connect(OkBitBtn, &QPushButton::clicked, this,
            guardedSlot([this] { OkBitBtnClick(OkBitBtn); }));
}

// ---------------------------------------------------------------- handlers

void TAboutBox::FormActivate(QObject *)
{
    PaintBox1->resize(width(), PaintBox1->height());
    setWindowTitle(QLatin1String(kAboutCaption));
}

bool TAboutBox::FormCloseQuery(QObject *)
{
    PhotoPanel->hide();
    MainPanel->show();
    return true;
}

void TAboutBox::OkBitBtnClick(QObject *)
{
    setWindowTitle(QLatin1String(kAboutCaption));
    accept();
}

void TAboutBox::UrlBtnClick(QObject *)
{
    desktop().openUrl(QLatin1String(kHomePage));
}

void TAboutBox::ProgramIconMouseDown(QObject *, Qt::MouseButton button,
                                     Qt::KeyboardModifiers shift, const QPoint &)
{
    const bool shiftAndCtrl = shift.testFlag(Qt::ShiftModifier) && shift.testFlag(Qt::ControlModifier);
    if (button != Qt::RightButton || !shiftAndCtrl)
        return;
    setWindowTitle(QLatin1String(kFirstPhotoCaption));
    MainPanel->hide();
    PhotoPanel->show();
    FirstPhotoImage->show();
}

void TAboutBox::FirstPhotoImageMouseDown(QObject *, Qt::MouseButton button,
                                         Qt::KeyboardModifiers, const QPoint &)
{
    if (button == Qt::RightButton) {
        FirstPhotoImage->hide();
        SecondPhotoImage->show();
        setWindowTitle(QLatin1String(kSecondPhotoCaption));
    } else {
        showMainPanel();
    }
}

void TAboutBox::SecondPhotoImageMouseDown(QObject *, Qt::MouseButton button,
                                          Qt::KeyboardModifiers, const QPoint &)
{
    if (button == Qt::RightButton) {
        SecondPhotoImage->hide();
        FirstPhotoImage->show();
        setWindowTitle(QLatin1String(kFirstPhotoCaption));
    } else {
        showMainPanel();
        FirstPhotoImage->show();
        SecondPhotoImage->hide();
    }
}

void TAboutBox::showMainPanel()
{
    PhotoPanel->hide();
    MainPanel->show();
    setWindowTitle(QLatin1String(kAboutCaption));
}

void TAboutBox::ProductDesriptionLabelMouseDown(QObject *, Qt::MouseButton button,
                                                Qt::KeyboardModifiers, const QPoint &)
{
    if (button == Qt::RightButton && !m_dedicationRunning)
        runDedication();
}

// The dedication scrolls up one pixel a step; each line's trailing blanks
// paint over what the previous step left below it. The last step puts the
// last line at the top edge.
void TAboutBox::runDedication()
{
    setWindowTitle(QLatin1String(kDedicationCaption));
    MainPanel->hide();
    OkBitBtn->setEnabled(false);
    m_dedicationRunning = true;

    const QPointer<TAboutBox> self(this);
    const int h = QFontMetrics(PaintBox1->font()).size(Qt::TextSingleLine, QStringLiteral("0")).height();
    const QList<DedicationLine> lines = dedicationLines();
    for (int i = 0; i <= 6 * h + 120; ++i) {
        for (const DedicationLine &line : lines)
            PaintBox1->drawOpaqueText(line.x, 120 + line.row * h - i, line.text);
        Delay(0, 1);
        if (!self)
            return; // the box went away while events were dispatched
    }

    m_dedicationRunning = false;
    PaintBox1->clear();
    OkBitBtn->setEnabled(true);
    MainPanel->show();
    setWindowTitle(QLatin1String(kAboutCaption));
}

// ---------------------------------------------------------------- events

void TAboutBox::done(int result)
{
    bool allowed = true;
    guarded([&] { allowed = FormCloseQuery(this); });
    if (allowed)
        QDialog::done(result);
}

void TAboutBox::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        // Centred on the screen, the OK button focused first.
        const QSize screen = desktop().screenSize();
        move((screen.width() - frameGeometry().width()) / 2,
             (screen.height() - frameGeometry().height()) / 2);
    }
    QDialog::setVisible(visible);
    if (visible)
        OkBitBtn->setFocus(Qt::ActiveWindowFocusReason);
}

bool TAboutBox::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        guarded([this] { FormActivate(this); });
    return QDialog::event(event);
}

// Esc does what OK does: it closes the box with OK's result, and does
// nothing while OK is disabled (the dedication).
void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        OkBitBtn->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return QDialog::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const Qt::MouseButton button = mouse->button();
    const Qt::KeyboardModifiers shift = mouse->modifiers();
    const QPoint position = mousePosition(mouse);
    const QPointer<TAboutBox> self(this);
    if (watched == ProgramIcon)
        guarded([&] { ProgramIconMouseDown(ProgramIcon, button, shift, position); });
    else if (watched == FirstPhotoImage)
        guarded([&] { FirstPhotoImageMouseDown(FirstPhotoImage, button, shift, position); });
    else if (watched == SecondPhotoImage)
        guarded([&] { SecondPhotoImageMouseDown(SecondPhotoImage, button, shift, position); });
    else if (watched == ProductDesriptionLabel)
        guarded([&] {
            ProductDesriptionLabelMouseDown(ProductDesriptionLabel, button, shift, position);
        });
    if (!self)
        return true; // the dedication outlived the box
    return QDialog::eventFilter(watched, event);
}

} // namespace morva::shell
