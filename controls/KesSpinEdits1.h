#ifndef MORVA_CONTROLS_KESSPINEDITS1_H
#define MORVA_CONTROLS_KESSPINEDITS1_H

// Numeric input fields: an edit with a pair of small up/down buttons at its
// right edge. The value lives in the text: reading parses it, writing clamps
// and formats it.

#include <QAbstractButton>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include <cstdint>

class QPainter;
class QTimer;

// A flat button that repeats its click while held: the first repeat 400 ms
// after the press, then every 100 ms, and one more click on a release over
// the button.
class TTimerSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    enum RepeatFlag { ShowFocusRect = 0x1, AllowRepeat = 0x2 };
    Q_DECLARE_FLAGS(RepeatFlags, RepeatFlag)

    explicit TTimerSpeedButton(QWidget *parent = nullptr);

    RepeatFlags repeatFlags() const { return m_repeatFlags; }
    void setRepeatFlags(RepeatFlags flags);
    // The repeat timer; nullptr until the first press that may repeat.
    QTimer *repeatTimer() const { return m_repeatTimer; }
    // Stops the repeat timer (the click handler failed, or the press ended).
    void stopRepeat();

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void repeatTick();
    bool heldWithCapture() const;
    void paintFace(QPainter &painter) const;
    void paintGlyph(QPainter &painter) const;

    RepeatFlags m_repeatFlags;
    QTimer *m_repeatTimer = nullptr;
    QPixmap m_glyph;
    int m_numGlyphs = 1;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TTimerSpeedButton::RepeatFlags)

// Two repeating buttons stacked: up on the top half, down below it.
class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget *parent = nullptr);

    TTimerSpeedButton *upButton() const { return m_upButton; }
    TTimerSpeedButton *downButton() const { return m_downButton; }
    TTimerSpeedButton *focusedButton() const { return m_focusedButton; }
    void setFocusedButton(TTimerSpeedButton *button);

    QWidget *focusControl() const;
    void setFocusControl(QWidget *control);

    // A null pixmap restores the default glyph ("SpinUp" / "SpinDown") and
    // resets that button's number of glyphs to 1.
    QPixmap upGlyph() const;
    void setUpGlyph(const QPixmap &glyph);
    QPixmap downGlyph() const;
    void setDownGlyph(const QPixmap &glyph);
    int upNumGlyphs() const;
    void setUpNumGlyphs(int count);
    int downNumGlyphs() const;
    void setDownNumGlyphs(int count);

    // The default glyphs: 9 x 6, a black triangle of rows 1, 3, 5, 7 pixels.
    static QPixmap defaultGlyph(bool up);

signals:
    void OnUpClick(TSpinButton *sender);
    void OnDownClick(TSpinButton *sender);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void buttonPressed(TTimerSpeedButton *button);
    void buttonClicked(TTimerSpeedButton *button);
    void layoutButtons();
    void showFocusOn(TTimerSpeedButton *button);

    TTimerSpeedButton *m_upButton;
    TTimerSpeedButton *m_downButton;
    TTimerSpeedButton *m_focusedButton;
    QPointer<QWidget> m_focusControl;
};

// What the integer and the real spin edit share: the spin button inside the
// edit, the key handling, the character filter, clipboard rules, focus rules.
class KesSpinEditBase : public QLineEdit {
    Q_OBJECT
public:
    explicit KesSpinEditBase(QWidget *parent = nullptr);
    ~KesSpinEditBase() override;

    bool editorEnabled() const { return m_editorEnabled; }
    void setEditorEnabled(bool enabled);
    // Select all text when the focus enters other than by a mouse press.
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool enabled) { m_autoSelect = enabled; }
    TSpinButton *spinButton() const { return m_spinButton; }

    virtual bool IsAcceptedChar(QChar c) const;
    // Whether the text reads as a number of the field's kind; when it does
    // not, the value reads as the minimum.
    virtual bool textIsNumber() const = 0;
    virtual void StepUp() = 0;
    virtual void StepDown() = 0;

    // The texts of the field's limits as it writes them; none without limits.
    virtual QStringList limitTexts() const = 0;
    // The least width that shows `text` whole beside the spin button.
    int widthToShow(const QString &text) const;
    // Grows the field so that it shows the text of either limit whole.
    void growToShowLimits();

signals:
    // The text changed (typing or a write of the value).
    void OnChange();
    // Every key that reaches the edit, after its own handling (Enter and Esc
    // included: the edit takes them, the window's buttons never see them).
    void OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void OnDblClick();

protected:
    // Sets the increment from the modifiers held (Shift, else Ctrl, else none).
    virtual void setIncrementFromModifiers(Qt::KeyboardModifiers modifiers) = 0;
    // Writes the value back when clamping would change it.
    virtual void clampOnExit() = 0;

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

    // Writes `text` (the formatted value) even on a read-only edit.
    void writeText(const QString &text);

private:
    bool canChangeByClipboard() const;
    bool filterCharacter(QKeyEvent *event);
    bool runStep(bool up);
    void layoutSpinButton();
    void updateMinimumHeight();

    TSpinButton *m_spinButton;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
};

// A 32-bit integer field.
class TKesSpinEdit : public KesSpinEditBase {
    Q_OBJECT
public:
    explicit TKesSpinEdit(QWidget *parent = nullptr);

    // The text parsed; text that is not a 32-bit integer reads minValue().
    std::int32_t value() const;
    // Clamps, writes the text and fires OnChange.
    void setValue(std::int32_t value);
    std::int32_t minValue() const { return m_minValue; }
    void setMinValue(std::int32_t value) { m_minValue = value; }
    std::int32_t maxValue() const { return m_maxValue; }
    void setMaxValue(std::int32_t value) { m_maxValue = value; }
    std::int32_t increment() const { return m_increment; }
    void setIncrement(std::int32_t value) { m_increment = value; }

    bool textIsNumber() const override;
    // Equal limits mean no limit.
    std::int32_t ClampValue(std::int32_t value) const;
    // Overflow of the 32-bit range throws morva::EIntOverflow.
    void StepUp() override;
    void StepDown() override;
    QStringList limitTexts() const override;

protected:
    void setIncrementFromModifiers(Qt::KeyboardModifiers modifiers) override;
    void clampOnExit() override;

private:
    std::int32_t m_minValue = 0;
    std::int32_t m_maxValue = 0;
    std::int32_t m_increment = 1;
};

// An extended-precision real field, written in fixed notation (3, 3).
class TKesRealSpinEdit : public KesSpinEditBase {
    Q_OBJECT
public:
    explicit TKesRealSpinEdit(QWidget *parent = nullptr);

    long double value() const;
    void setValue(long double value);
    long double minValue() const { return m_minValue; }
    void setMinValue(long double value) { m_minValue = value; }
    long double maxValue() const { return m_maxValue; }
    void setMaxValue(long double value) { m_maxValue = value; }
    long double increment() const { return m_increment; }
    void setIncrement(long double value) { m_increment = value; }

    bool textIsNumber() const override;
    long double ClampValue(long double value) const;
    // On a read-only edit: a beep and no change.
    void StepUp() override;
    void StepDown() override;
    QStringList limitTexts() const override;

protected:
    void setIncrementFromModifiers(Qt::KeyboardModifiers modifiers) override;
    void clampOnExit() override;

private:
    long double m_minValue = 0;
    long double m_maxValue = 1.0L;
    long double m_increment = 0.01L;
};

#endif
