#ifndef MORVA_MODELS_SETUP_H
#define MORVA_MODELS_SETUP_H

// A model window's setup (platform/SetupFile.h) taken from it and given back
// to it. The inputs are every text field of the window's input panel (spin
// edits and plain text fields such as the drift seed), found by object
// name, so a window with new fields needs nothing here. Applying checks
// everything first and changes nothing when any part does not fit.

#include "platform/SetupFile.h"

#include <QList>
#include <QString>

class QLineEdit;

namespace morva {

class ModelForm;

// The input fields of a window, box by box.
QList<QLineEdit *> setupFields(const ModelForm *window);
// The name messages give a field ("A1 frequency"); its object name when it
// has none.
QString setupFieldName(const QLineEdit *field);
// The field with this object name or, failing that, this message name;
// nullptr when there is none.
QLineEdit *findSetupField(const ModelForm *window, const QString &name);
// What is wrong with `text` for `field` ("A1 frequency: "2" is out of
// range 0.000 to 1.000"); empty when the field takes it. A field whose text
// the model reads itself takes any text: Run's own check judges it.
QString fieldTextProblem(const ModelForm *window, const QLineEdit *field, const QString &text);

// The window's setup: its catalogue id, every field's text, the chart page
// in view, the kept runs' field texts and its note.
SetupData captureSetup(const ModelForm *window);

// Whether the setup fits the window: its model is the window's, every input
// (also every kept run's) names a field and fits it, the page exists. False
// with `problem` (what is wrong, after the file name) when it does not.
bool checkSetup(const ModelForm *window, const SetupData &setup, QString &problem);
// Whether `inputs` name fields and fit them.
bool checkSetupInputs(const ModelForm *window, const SetupInputs &inputs, QString &problem);

// Writes checked inputs into their fields and the note into the window.
void applySetupInputs(ModelForm *window, const SetupInputs &inputs);
void applySetup(ModelForm *window, const SetupData &setup);
// Runs each kept run of the setup, oldest first, keeps it and puts the
// fields back; the window's own run comes after. False when one of them did
// not pass Run's checks (its message was shown).
bool applyKeptRuns(ModelForm *window, const SetupData &setup);
// Brings the setup's chart page into view (a shown window: showing it
// chooses the first page).
void showSetupPage(ModelForm *window, const SetupData &setup);

} // namespace morva

#endif
