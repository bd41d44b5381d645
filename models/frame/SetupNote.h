#ifndef MORVA_MODELS_SETUPNOTE_H
#define MORVA_MODELS_SETUPNOTE_H

// The note a setup carries for the students: a strip above the window's
// inputs that shows it (hidden while there is none; a long note scrolls),
// and the dialog that edits it (plain text, at most kSetupNoteMaxChars
// characters).

#include <QDialog>
#include <QScrollArea>

class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;

namespace morva {

class NoteStrip : public QScrollArea {
    Q_OBJECT
public:
    explicit NoteStrip(QWidget *parent = nullptr);

    QString text() const;
    // Shows `text` as plain text; hides the strip when it is empty.
    void setText(const QString &text);

signals:
    // A right click on the strip: the window offers "Edit note...".
    void editRequested(const QPoint &globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // As tall as the wrapped note, up to a few lines; a longer one scrolls.
    void fitHeight();

    QLabel *m_label;
};

class NoteEditor : public QDialog {
    Q_OBJECT
public:
    NoteEditor(const QString &note, QWidget *parent = nullptr);

    QString note() const;
    QPlainTextEdit *editor() const { return m_editor; }

private:
    void updateCount();

    QPlainTextEdit *m_editor;
    QLabel *m_count;
    QDialogButtonBox *m_buttons;
};

} // namespace morva

#endif
