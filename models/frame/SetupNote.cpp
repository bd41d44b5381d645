#include "models/frame/SetupNote.h"

#include "models/frame/ModelForm.h"
#include "platform/Application.h"
#include "platform/SetupFile.h"

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace morva {

namespace {

// Lines of the note the strip shows before it scrolls.
constexpr int kStripLines = 4;
constexpr int kStripMargin = 6;

} // namespace

NoteStrip::NoteStrip(QWidget *parent) : QScrollArea(parent), m_label(new QLabel)
{
    setObjectName(QStringLiteral("SetupNote"));
    setStatusTip(QStringLiteral("The note of this setup; right click to edit it"));
    setWidgetResizable(true);
    setFrameShape(QFrame::Box);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_label->setObjectName(QStringLiteral("SetupNoteLabel"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setContextMenuPolicy(Qt::NoContextMenu);
    m_label->setContentsMargins(kStripMargin, kStripMargin / 2, kStripMargin, kStripMargin / 2);
    // A pale yellow sheet, as a note pinned above the inputs.
    QPalette sheet = palette();
    sheet.setColor(QPalette::Window, QColor(255, 250, 205));
    sheet.setColor(QPalette::WindowText, Qt::black);
    m_label->setAutoFillBackground(true);
    m_label->setPalette(sheet);
    setWidget(m_label);
    hide();
}

QString NoteStrip::text() const
{
    return m_label->text();
}

void NoteStrip::setText(const QString &text)
{
    m_label->setText(text);
    setVisible(!text.isEmpty());
    fitHeight();
}

void NoteStrip::fitHeight()
{
    const int most = kStripLines * m_label->fontMetrics().lineSpacing() + kStripMargin;
    const int width = std::max(1, viewport()->width());
    const int wanted = std::min(m_label->heightForWidth(width), most);
    const int height = std::max(wanted, m_label->fontMetrics().lineSpacing() + kStripMargin)
                       + 2 * frameWidth();
    if (height != this->height())
        setFixedHeight(height);
}

void NoteStrip::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitHeight();
}

void NoteStrip::contextMenuEvent(QContextMenuEvent *event)
{
    emit editRequested(event->globalPos());
    event->accept();
}

NoteEditor::NoteEditor(const QString &note, QWidget *parent)
    : QDialog(parent)
    , m_editor(new QPlainTextEdit(note))
    , m_count(new QLabel)
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setObjectName(QStringLiteral("NoteEditor"));
    setWindowTitle(QStringLiteral("Note for this setup"));
    m_editor->setObjectName(QStringLiteral("NoteEdit"));
    m_count->setObjectName(QStringLiteral("NoteCount"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral(
        "What the students read above the inputs when they open this setup:"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addWidget(m_editor);
    layout->addWidget(m_count);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_editor, &QPlainTextEdit::textChanged, this, &NoteEditor::updateCount);
    resize(460, 300);
    updateCount();
}

QString NoteEditor::note() const
{
    return m_editor->toPlainText();
}

// OK takes only a note within the limit; the count says how far it is.
void NoteEditor::updateCount()
{
    const int length = setupNoteLength(note());
    m_count->setText(QStringLiteral("%1 of at most %2 characters").arg(length).arg(kSetupNoteMaxChars));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(length <= kSetupNoteMaxChars);
}


// --- the model frame's part: the note above the inputs ---

QString ModelForm::setupNote() const
{
    return m_setupNote->text();
}

void ModelForm::setSetupNote(const QString &note)
{
    m_setupNote->setText(note);
    // Scrolled to, Cancel still stands whole below the note.
    const int noteHeight = m_setupNote->isVisibleTo(this) ? m_setupNote->height() : 0;
    m_client->setMinimumHeight(m_inputPanel->minimumHeight() + noteHeight);
}

void ModelForm::editSetupNote()
{
    auto *editor = new NoteEditor(setupNote(), this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<NoteEditor> dialog(editor);
    connect(editor, &QDialog::accepted, this, guardedSlot([this, dialog] {
                if (dialog)
                    setSetupNote(dialog->note());
            }));
    editor->open();
}

void ModelForm::watchForNoteEdits()
{
    connect(m_setupNote, &NoteStrip::editRequested, this,
            guardedSlot([this](const QPoint &pos) { showNoteMenu(pos); }));
    m_inputPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_inputPanel, &QWidget::customContextMenuRequested, this,
            guardedSlot([this](const QPoint &pos) {
                showNoteMenu(m_inputPanel->mapToGlobal(pos));
            }));
}

void ModelForm::showNoteMenu(const QPoint &globalPos)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("NoteMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *edit = menu->addAction(QStringLiteral("Edit note..."));
    edit->setStatusTip(QStringLiteral("Write the note saved with this setup for the students"));
    connect(edit, &QAction::triggered, this, guardedSlot([this] { editSetupNote(); }));
    menu->popup(globalPos);
}

} // namespace morva
