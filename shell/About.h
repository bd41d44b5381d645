#ifndef MORVA_SHELL_ABOUT_H
#define MORVA_SHELL_ABOUT_H

// The about box: product name, version, copyright and a button that opens the
// home page; two hidden extras, a scrolling dedication (right click on the
// product description) and a photo panel (Shift+Ctrl right click on the
// program picture).

#include <QDialog>
#include <QPixmap>
#include <QPointer>

class QFrame;
class QLabel;
class QPushButton;

namespace morva::shell {

// The surface the dedication scrolls on; it shows only what was drawn on it.
class DedicationPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit DedicationPaintBox(QWidget *parent);

    // Draws `text` with its top-left corner at (x, y), filling the text's box
    // with the background first so that it covers what lay there.
    void drawOpaqueText(int x, int y, const QString &text);
    // Forgets everything drawn.
    void clear();
    // What has been drawn so far.
    QImage image() const { return m_image.toImage(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Keeps the drawing the size of the box, keeping what was drawn.
    void fitImage();

    QPixmap m_image;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    // Handlers; mouse handlers take the button, the shift state and the
    // position.
    void FormActivate(QObject *sender);
    bool FormCloseQuery(QObject *sender);
    void OkBitBtnClick(QObject *sender);
    void ProgramIconMouseDown(QObject *sender, Qt::MouseButton button,
                              Qt::KeyboardModifiers shift, const QPoint &position);
    void FirstPhotoImageMouseDown(QObject *sender, Qt::MouseButton button,
                                  Qt::KeyboardModifiers shift, const QPoint &position);
    void SecondPhotoImageMouseDown(QObject *sender, Qt::MouseButton button,
                                   Qt::KeyboardModifiers shift, const QPoint &position);
    void ProductDesriptionLabelMouseDown(QObject *sender, Qt::MouseButton button,
                                         Qt::KeyboardModifiers shift, const QPoint &position);
    void UrlBtnClick(QObject *sender);

    // Whether the dedication is running.
    bool dedicationRunning() const { return m_dedicationRunning; }

    QPushButton *OkBitBtn = nullptr;
    DedicationPaintBox *PaintBox1 = nullptr;
    QFrame *MainPanel = nullptr;
    QLabel *ProgramIcon = nullptr;
    QLabel *ProductNameLabel = nullptr;
    QLabel *VersionLabel = nullptr;
    QLabel *CopyrightLabel = nullptr;
    QLabel *CommentsLabel = nullptr;
    QLabel *ProductDesriptionLabel = nullptr;
    QFrame *PhotoPanel = nullptr;
    QLabel *FirstPhotoImage = nullptr;
    QLabel *SecondPhotoImage = nullptr;
    QPushButton *UrlBtn = nullptr;

public slots:
    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createMainPanel();
    void createPhotoPanel();
    void createButtons();
    QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &layout);
    void showMainPanel();
    void runDedication();

    bool m_dedicationRunning = false;
};

// The about box; null before start-up and after tear-down.
extern QPointer<TAboutBox> AboutBox;

// The box's captions.
inline constexpr const char *kAboutCaption = " About  MORVA";
inline constexpr const char *kFirstPhotoCaption = " About  MORVA - Dunmarrow group photo ";
inline constexpr const char *kSecondPhotoCaption =
    " About  MORVA - Dunmarrow group photo, part II ";
inline constexpr const char *kDedicationCaption = "MORVA dedication";
inline constexpr const char *kHomePage = "https://morva.example.org/";

// Dispatches pending events until the given time has passed, waiting for
// events in between rather than spinning.
void Delay(quint16 seconds, quint16 milliseconds);

} // namespace morva::shell

#endif
