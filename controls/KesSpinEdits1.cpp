#include "controls/KesSpinEdits1.h"

#include "arith/Errors.h"
#include "platform/Application.h"
#include "platform/Desktop.h"
#include "platform/NumberText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QtWidgets/qdrawutil.h>

#include <algorithm>

namespace {

constexpr int kFirstRepeatMs = 400;
constexpr int kNextRepeatMs = 100;
constexpr int kMinSpinButtonWidth = 15;
constexpr int kEditButtonWidth = 15;
constexpr int kEditButtonHeight = 17;
constexpr int kFocusRectInset = 3;
constexpr int kSystemBorderHeight = 1;
constexpr QChar kCarriageReturn(13);
constexpr QChar kBackspace(8);

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Whether a key that reached the edit types its text. Ctrl, with or without
// Shift, makes a key a command (Ctrl+C, Ctrl+A), which the edit never types;
// with any other modifier held (Alt, AltGr, Meta) the character is typed.
// Alt+letter shortcuts (menu mnemonics, buttons) never get here: the
// shortcut takes the key before the edit sees it.
bool typesText(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return modifiers != Qt::ControlModifier
        && modifiers != (Qt::ControlModifier | Qt::ShiftModifier);
}

// Keys the edit keeps from the window's default and cancel buttons and from
// shortcuts.
bool isOwnKey(int key)
{
    return isEnterKey(key) || key == Qt::Key_Escape || key == Qt::Key_Up
        || key == Qt::Key_Down;
}

} // namespace

// ---------------------------------------------------------------------------
// TTimerSpeedButton

TTimerSpeedButton::TTimerSpeedButton(QWidget *parent) : QAbstractButton(parent)
{
    // A speed button never takes the keyboard focus.
    setFocusPolicy(Qt::NoFocus);
}

void TTimerSpeedButton::setRepeatFlags(RepeatFlags flags)
{
    if (m_repeatFlags == flags)
        return;
    m_repeatFlags = flags;
    update();
}

void TTimerSpeedButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    update();
}

void TTimerSpeedButton::setNumGlyphs(int count)
{
    m_numGlyphs = std::clamp(count, 1, 4);
    update();
}

void TTimerSpeedButton::stopRepeat()
{
    if (m_repeatTimer)
        m_repeatTimer->stop();
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent *event)
{
    QAbstractButton::mousePressEvent(event);
    if (!(m_repeatFlags & AllowRepeat) || event->button() != Qt::LeftButton || !isDown())
        return;
    if (!m_repeatTimer) {
        m_repeatTimer = new QTimer(this);
        connect(m_repeatTimer, &QTimer::timeout, this, &TTimerSpeedButton::repeatTick);
    }
    m_repeatTimer->setInterval(kFirstRepeatMs);
    m_repeatTimer->start();
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    // The release click may fail; the timer stops in any case.
    auto stop = qScopeGuard([this] { stopRepeat(); });
    QAbstractButton::mouseReleaseEvent(event);
}

bool TTimerSpeedButton::heldWithCapture() const
{
    // The button stays down only while the press that started on it goes on
    // with the pointer over it; nobody else may hold an explicit grab.
    const QWidget *grabber = QWidget::mouseGrabber();
    return isDown() && (grabber == nullptr || grabber == this);
}

void TTimerSpeedButton::repeatTick()
{
    m_repeatTimer->setInterval(kNextRepeatMs);
    if (!heldWithCapture())
        return;
    // The timer stops before the error report opens, so no further tick can
    // stack another report behind it.
    morva::guarded([this] {
        try {
            // clicked() directly: click() would lift the button.
            emit clicked(isChecked());
        } catch (...) {
            stopRepeat();
            throw;
        }
    });
}

void TTimerSpeedButton::paintFace(QPainter &painter) const
{
    const QBrush face = palette().button();
    qDrawShadePanel(&painter, rect(), palette(), isDown(), 1, &face);
}

void TTimerSpeedButton::paintGlyph(QPainter &painter) const
{
    if (m_glyph.isNull())
        return;
    const int imageWidth = m_glyph.width() / m_numGlyphs;
    int index = 0;
    if (!isEnabled() && m_numGlyphs >= 2)
        index = 1;
    else if (isDown() && m_numGlyphs >= 3)
        index = 2;
    const QRect source(index * imageWidth, 0, imageWidth, m_glyph.height());
    QPoint at((width() - imageWidth) / 2, (height() - m_glyph.height()) / 2);
    if (isDown())
        at += QPoint(1, 1);
    if (!isEnabled() && m_numGlyphs < 2)
        painter.setOpacity(0.4);
    painter.drawPixmap(at, m_glyph, source);
    painter.setOpacity(1.0);
}

void TTimerSpeedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintFace(painter);
    paintGlyph(painter);
    if (!(m_repeatFlags & ShowFocusRect))
        return;
    QRect focus = rect().adjusted(kFocusRectInset, kFocusRectInset, -kFocusRectInset,
                                  -kFocusRectInset);
    if (isDown())
        focus.translate(1, 1);
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(focus.adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------
// TSpinButton

TSpinButton::TSpinButton(QWidget *parent)
    : QWidget(parent),
      m_upButton(new TTimerSpeedButton(this)),
      m_downButton(new TTimerSpeedButton(this)),
      m_focusedButton(m_upButton)
{
    // Not a tab stop; a press sends the focus to the focus control instead.
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setAutoFillBackground(true);
    m_upButton->setObjectName(QStringLiteral("UpButton"));
    m_downButton->setObjectName(QStringLiteral("DownButton"));
    for (TTimerSpeedButton *button : {m_upButton, m_downButton}) {
        button->setRepeatFlags(TTimerSpeedButton::AllowRepeat);
        connect(button, &QAbstractButton::pressed, this, [this, button] { buttonPressed(button); });
        connect(button, &QAbstractButton::clicked, this, [this, button] { buttonClicked(button); });
    }
    setUpGlyph(QPixmap());
    setDownGlyph(QPixmap());
    resize(20, 25);
    layoutButtons();
}

QPixmap TSpinButton::defaultGlyph(bool up)
{
    QImage image(9, 6, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // Rows of 1, 3, 5, 7 pixels between an empty top and bottom row.
    for (int i = 0; i < 4; ++i) {
        const int y = up ? 1 + i : 4 - i;
        for (int x = 4 - i; x <= 4 + i; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return QPixmap::fromImage(image);
}

void TSpinButton::setFocusedButton(TTimerSpeedButton *button)
{
    if (button != m_upButton && button != m_downButton)
        return;
    m_focusedButton = button;
    if (hasFocus())
        showFocusOn(button);
}

QWidget *TSpinButton::focusControl() const
{
    return m_focusControl;
}

void TSpinButton::setFocusControl(QWidget *control)
{
    m_focusControl = control;
}

QPixmap TSpinButton::upGlyph() const
{
    return m_upButton->glyph();
}

void TSpinButton::setUpGlyph(const QPixmap &glyph)
{
    if (glyph.isNull()) {
        m_upButton->setGlyph(defaultGlyph(true));
        m_upButton->setNumGlyphs(1);
    } else {
        m_upButton->setGlyph(glyph);
    }
}

QPixmap TSpinButton::downGlyph() const
{
    return m_downButton->glyph();
}

void TSpinButton::setDownGlyph(const QPixmap &glyph)
{
    if (glyph.isNull()) {
        m_downButton->setGlyph(defaultGlyph(false));
        m_downButton->setNumGlyphs(1);
    } else {
        m_downButton->setGlyph(glyph);
    }
}

int TSpinButton::upNumGlyphs() const
{
    return m_upButton->numGlyphs();
}

void TSpinButton::setUpNumGlyphs(int count)
{
    m_upButton->setNumGlyphs(count);
}

int TSpinButton::downNumGlyphs() const
{
    return m_downButton->numGlyphs();
}

void TSpinButton::setDownNumGlyphs(int count)
{
    m_downButton->setNumGlyphs(count);
}

void TSpinButton::buttonPressed(TTimerSpeedButton *button)
{
    if (isEnabled() && isVisible())
        setFocusedButton(button);
    QWidget *control = m_focusControl;
    if (control && (control->focusPolicy() & Qt::TabFocus) && control->isEnabled()
        && control->isVisible() && !control->hasFocus()) {
        control->setFocus(Qt::OtherFocusReason);
    } else if ((focusPolicy() & Qt::TabFocus) && !hasFocus() && isEnabled() && isVisible()) {
        setFocus(Qt::OtherFocusReason);
    }
}

void TSpinButton::buttonClicked(TTimerSpeedButton *button)
{
    QPointer<TTimerSpeedButton> guard(button);
    // A failing click ends the repeat and lifts the button before the error
    // report opens.
    morva::guarded([&] {
        try {
            if (button == m_upButton)
                emit OnUpClick(this);
            else
                emit OnDownClick(this);
        } catch (...) {
            if (guard) {
                guard->stopRepeat();
                guard->setDown(false);
            }
            throw;
        }
    });
}

void TSpinButton::layoutButtons()
{
    const int w = width();
    const int h = height();
    const int upHeight = h / 2;
    m_upButton->setGeometry(0, 0, w, upHeight);
    // The down button overlaps the up button's last row.
    const int downTop = std::max(0, upHeight - 1);
    m_downButton->setGeometry(0, downTop, w, h - downTop);
}

void TSpinButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (width() < kMinSpinButtonWidth) {
        resize(kMinSpinButtonWidth, height());
        return; // the corrected size comes back through resizeEvent
    }
    layoutButtons();
}

void TSpinButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        setFocusedButton(m_upButton);
        buttonClicked(m_upButton);
        break;
    case Qt::Key_Down:
        setFocusedButton(m_downButton);
        buttonClicked(m_downButton);
        break;
    case Qt::Key_Space:
        buttonClicked(m_focusedButton);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TSpinButton::showFocusOn(TTimerSpeedButton *button)
{
    for (TTimerSpeedButton *each : {m_upButton, m_downButton}) {
        auto flags = each->repeatFlags();
        flags.setFlag(TTimerSpeedButton::ShowFocusRect, each == button);
        each->setRepeatFlags(flags);
    }
}

void TSpinButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    showFocusOn(m_focusedButton);
}

void TSpinButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    showFocusOn(nullptr);
}

// ---------------------------------------------------------------------------
// KesSpinEditBase

KesSpinEditBase::KesSpinEditBase(QWidget *parent)
    : QLineEdit(parent), m_spinButton(new TSpinButton(this))
{
    m_spinButton->resize(kEditButtonWidth, kEditButtonHeight);
    m_spinButton->setFocusControl(this);
    // Exceptions of StepUp/StepDown are caught by the spin button's click.
    connect(m_spinButton, &TSpinButton::OnUpClick, this, [this] { StepUp(); });
    connect(m_spinButton, &TSpinButton::OnDownClick, this, [this] { StepDown(); });
    connect(this, &QLineEdit::textChanged, this, [this] { emit OnChange(); });
    updateMinimumHeight();
    layoutSpinButton();
}

KesSpinEditBase::~KesSpinEditBase()
{
    // Forget the spin button before the children go, so no click of it can
    // reach this half-destroyed edit.
    delete m_spinButton;
    m_spinButton = nullptr;
}

void KesSpinEditBase::setEditorEnabled(bool enabled)
{
    m_editorEnabled = enabled;
    setAcceptDrops(enabled);
}

bool KesSpinEditBase::IsAcceptedChar(QChar c) const
{
    const char16_t code = c.unicode();
    if (code < 32)
        return c != kCarriageReturn && (m_editorEnabled || c != kBackspace);
    if (!m_editorEnabled)
        return false;
    return c == u'+' || c == u'-' || (c >= u'0' && c <= u'9')
        || c == morva::text::decimalSeparator();
}

void KesSpinEditBase::writeText(const QString &text)
{
    setText(text);
}

bool KesSpinEditBase::canChangeByClipboard() const
{
    return m_editorEnabled && !isReadOnly();
}

bool KesSpinEditBase::runStep(bool up)
{
    return morva::guarded([this, up] {
        if (up)
            StepUp();
        else
            StepDown();
    });
}

// Drops a typed character the filter refuses, with a beep. True when the
// event was consumed.
bool KesSpinEditBase::filterCharacter(QKeyEvent *event)
{
    if (!typesText(event))
        return false;
    QString typed = event->text();
    if (event->key() == Qt::Key_Delete)
        typed = m_editorEnabled ? QString() : QString(QChar(0x7f));
    for (const QChar c : typed) {
        if (!IsAcceptedChar(c)) {
            morva::desktop().beep();
            event->accept();
            return true;
        }
    }
    return false;
}

void KesSpinEditBase::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    QPointer<KesSpinEditBase> self(this);
    event->accept();

    setIncrementFromModifiers(modifiers);
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        if (runStep(key == Qt::Key_Up) && self)
            morva::guarded([&] { emit OnKeyDown(key, modifiers); });
        return;
    }
    if (!morva::guarded([&] { emit OnKeyDown(key, modifiers); }) || !self)
        return;

    if (isEnterKey(key)) {
        // The carriage return is not a character this field takes.
        if (!IsAcceptedChar(kCarriageReturn))
            morva::desktop().beep();
        return;
    }
    if (key == Qt::Key_Escape)
        return;
    if ((event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))
        && !canChangeByClipboard())
        return;
    if (filterCharacter(event))
        return;
    QLineEdit::keyPressEvent(event);
}

bool KesSpinEditBase::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride
        && isOwnKey(static_cast<QKeyEvent *>(event)->key())) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void KesSpinEditBase::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::MouseFocusReason || reason == Qt::ActiveWindowFocusReason
        || reason == Qt::PopupFocusReason)
        return;
    if (m_autoSelect)
        selectAll();
    else
        deselect();
}

void KesSpinEditBase::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Switching windows or opening a menu does not leave the field.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    morva::guarded([this] { clampOnExit(); });
}

void KesSpinEditBase::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    morva::guarded([this] { emit OnDblClick(); });
}

void KesSpinEditBase::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection on X11.
    if (event->button() == Qt::MiddleButton && !canChangeByClipboard()) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void KesSpinEditBase::contextMenuEvent(QContextMenuEvent *event)
{
    // The standard menu offers no cut, paste, delete or undo on a read-only
    // edit; an edit whose editor is disabled is treated alike while the menu
    // is built.
    const bool readOnly = isReadOnly();
    if (!canChangeByClipboard())
        setReadOnly(true);
    QMenu *menu = createStandardContextMenu();
    setReadOnly(readOnly);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void KesSpinEditBase::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    layoutSpinButton();
}

void KesSpinEditBase::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateMinimumHeight();
}

void KesSpinEditBase::layoutSpinButton()
{
    if (!m_spinButton)
        return;
    const int buttonWidth = m_spinButton->width();
    // Widget coordinates: a framed edit keeps its 2-pixel border around the
    // button.
    if (hasFrame())
        m_spinButton->setGeometry(width() - buttonWidth - 3, 2, buttonWidth, height() - 5);
    else
        m_spinButton->setGeometry(width() - buttonWidth, 1, buttonWidth, height() - 3);
    setTextMargins(0, 0, buttonWidth + 2, 0);
}

// QLineEdit's own width for a text: the text, its two-pixel margins on
// either side, the text margins (the spin button's room), a pixel for the
// cursor, and the style's frame around it all.
int KesSpinEditBase::widthToShow(const QString &text) const
{
    constexpr int kLineEditMargins = 2 * 2;
    constexpr int kCursor = 1;
    // The text margins as layoutSpinButton() sets them, also before the
    // first resize has set them.
    const int buttonRoom = m_spinButton ? m_spinButton->width() + 2 : 0;
    const int content = QFontMetrics(font()).horizontalAdvance(text) + kLineEditMargins
                        + buttonRoom + kCursor;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(content, height()), this)
        .width();
}

void KesSpinEditBase::growToShowLimits()
{
    int needed = width();
    for (const QString &text : limitTexts())
        needed = std::max(needed, widthToShow(text));
    if (needed > width())
        resize(needed, height());
}

void KesSpinEditBase::updateMinimumHeight()
{
    const int fieldHeight = QFontMetrics(font()).height();
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    setMinimumHeight(fieldHeight + std::min(systemHeight, fieldHeight) / 4
                     + 4 * kSystemBorderHeight + 2);
}

// ---------------------------------------------------------------------------
// TKesSpinEdit

TKesSpinEdit::TKesSpinEdit(QWidget *parent) : KesSpinEditBase(parent)
{
    writeText(QStringLiteral("0"));
    resize(121, std::max(25, minimumHeight()));
}

std::int32_t TKesSpinEdit::value() const
{
    return morva::text::tryTextToInteger(text()).value_or(m_minValue);
}

void TKesSpinEdit::setValue(std::int32_t value)
{
    writeText(morva::text::formatInteger(ClampValue(value)));
}

QStringList TKesSpinEdit::limitTexts() const
{
    if (m_minValue == m_maxValue)
        return {};
    return {morva::text::formatInteger(m_minValue), morva::text::formatInteger(m_maxValue)};
}

bool TKesSpinEdit::textIsNumber() const
{
    return morva::text::tryTextToInteger(text()).has_value();
}

std::int32_t TKesSpinEdit::ClampValue(std::int32_t value) const
{
    if (m_maxValue == m_minValue)
        return value;
    if (value < m_minValue)
        return m_minValue;
    if (value > m_maxValue)
        return m_maxValue;
    return value;
}

void TKesSpinEdit::StepUp()
{
    std::int32_t result = 0;
    if (__builtin_add_overflow(value(), m_increment, &result))
        throw morva::EIntOverflow();
    // The buttons and arrow keys change a read-only field too.
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    auto restore = qScopeGuard([this, readOnly] { setReadOnly(readOnly); });
    setValue(result);
}

void TKesSpinEdit::StepDown()
{
    std::int32_t result = 0;
    if (__builtin_sub_overflow(value(), m_increment, &result))
        throw morva::EIntOverflow();
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    auto restore = qScopeGuard([this, readOnly] { setReadOnly(readOnly); });
    setValue(result);
}

void TKesSpinEdit::setIncrementFromModifiers(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier)
        m_increment = 10;
    else if (modifiers & Qt::ControlModifier)
        m_increment = 5;
    else
        m_increment = 1;
}

void TKesSpinEdit::clampOnExit()
{
    const std::int32_t current = value();
    if (ClampValue(current) != current)
        setValue(current);
}

// ---------------------------------------------------------------------------
// TKesRealSpinEdit

TKesRealSpinEdit::TKesRealSpinEdit(QWidget *parent) : KesSpinEditBase(parent)
{
    setValue(0.5L);
    resize(55, std::max(25, minimumHeight()));
}

long double TKesRealSpinEdit::value() const
{
    return morva::text::textToReal(text()).value_or(m_minValue);
}

void TKesRealSpinEdit::setValue(long double value)
{
    writeText(morva::text::formatFixed(ClampValue(value), 3, 3));
}

QStringList TKesRealSpinEdit::limitTexts() const
{
    return {morva::text::formatFixed(m_minValue, 3, 3), morva::text::formatFixed(m_maxValue, 3, 3)};
}

bool TKesRealSpinEdit::textIsNumber() const
{
    return morva::text::textToReal(text()).has_value();
}

long double TKesRealSpinEdit::ClampValue(long double value) const
{
    if (m_maxValue == m_minValue)
        return value;
    if (value < m_minValue)
        return m_minValue;
    if (value > m_maxValue)
        return m_maxValue;
    return value;
}

void TKesRealSpinEdit::StepUp()
{
    if (isReadOnly()) {
        morva::desktop().beep();
        return;
    }
    setValue(value() + m_increment);
}

void TKesRealSpinEdit::StepDown()
{
    if (isReadOnly()) {
        morva::desktop().beep();
        return;
    }
    setValue(value() - m_increment);
}

void TKesRealSpinEdit::setIncrementFromModifiers(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier)
        m_increment = 0.1L;
    else if (modifiers & Qt::ControlModifier)
        m_increment = 0.01L;
    else
        m_increment = 0.001L;
}

void TKesRealSpinEdit::clampOnExit()
{
    const long double current = value();
    if (ClampValue(current) != current)
        setValue(current);
}
