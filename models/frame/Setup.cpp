#include "models/frame/Setup.h"

#include "controls/KesSpinEdits1.h"
#include "models/Catalogue.h"
#include "models/frame/DescribedForm.h"
#include "models/frame/ModelForm.h"
#include "platform/NumberText.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QValidator>

namespace morva {

namespace {

// A real field's text in the file has "." for its decimal point, whatever
// the separator the user's locale writes, so that a setup reads the same
// everywhere; its digits are the field's own.
bool isRealField(const QLineEdit *field)
{
    return qobject_cast<const TKesRealSpinEdit *>(field) != nullptr;
}

QString fileText(const QLineEdit *field, QString text)
{
    if (isRealField(field))
        text.replace(text::decimalSeparator(), QLatin1Char('.'));
    return text;
}

QString fieldText(const QLineEdit *field, const QString &fromFile)
{
    QString text = fromFile;
    if (isRealField(field))
        text.replace(QLatin1Char('.'), text::decimalSeparator());
    return text;
}

template <class Number>
QString rangeProblem(const QString &name, const QString &text, Number value, Number minimum,
                     Number maximum, const QStringList &limits)
{
    // Equal limits are no limits.
    if (minimum == maximum || (value >= minimum && value <= maximum) || limits.size() != 2)
        return {};
    return QStringLiteral("%1: \"%2\" is out of range %3 to %4")
        .arg(name, text, limits.at(0), limits.at(1));
}

QTabWidget *pagesOf(const ModelForm *window)
{
    return window->pageControl();
}

int pageIndex(const ModelForm *window, const QString &page)
{
    QTabWidget *pages = pagesOf(window);
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->widget(i)->objectName() == page)
            return i;
    }
    return -1;
}

} // namespace

QList<QLineEdit *> setupFields(const ModelForm *window)
{
    QList<QLineEdit *> fields;
    for (QLineEdit *field : window->inputPanel()->findChildren<QLineEdit *>()) {
        if (!field->objectName().isEmpty())
            fields.append(field);
    }
    return fields;
}

QString setupFieldName(const QLineEdit *field)
{
    if (auto *spin = qobject_cast<const KesSpinEditBase *>(field))
        return ModelForm::fieldName(spin);
    return field->accessibleName().isEmpty() ? field->objectName() : field->accessibleName();
}

QLineEdit *findSetupField(const ModelForm *window, const QString &name)
{
    const QList<QLineEdit *> fields = setupFields(window);
    for (QLineEdit *field : fields) {
        if (field->objectName() == name)
            return field;
    }
    for (QLineEdit *field : fields) {
        if (setupFieldName(field).compare(name, Qt::CaseInsensitive) == 0)
            return field;
    }
    return nullptr;
}

QString fieldTextProblem(const ModelForm *window, const QLineEdit *field, const QString &text)
{
    if (auto *spin = qobject_cast<const KesSpinEditBase *>(field); spin && window->readsOwnText(spin))
        return {};
    const QString name = setupFieldName(field);
    const QString typed = fieldText(field, text);
    if (auto *integer = qobject_cast<const TKesSpinEdit *>(field)) {
        const std::optional<std::int32_t> value = text::tryTextToInteger(typed);
        if (!value)
            return QStringLiteral("%1: \"%2\" is not a whole number").arg(name, text);
        return rangeProblem(name, text, *value, integer->minValue(), integer->maxValue(),
                            integer->limitTexts());
    }
    if (auto *real = qobject_cast<const TKesRealSpinEdit *>(field)) {
        const std::optional<long double> value = text::textToReal(typed);
        if (!value)
            return QStringLiteral("%1: \"%2\" is not a number").arg(name, text);
        return rangeProblem(name, text, *value, real->minValue(), real->maxValue(),
                            real->limitTexts());
    }
    // A plain text field takes what its validator lets the user type.
    if (const QValidator *validator = field->validator()) {
        QString probe = typed;
        int at = 0;
        if (validator->validate(probe, at) != QValidator::Acceptable)
            return QStringLiteral("%1: \"%2\" is not a number").arg(name, text);
    }
    if (typed.size() > field->maxLength())
        return QStringLiteral("%1: \"%2\" is too long").arg(name, text);
    return {};
}

SetupData captureSetup(const ModelForm *window)
{
    SetupData setup;
    if (const CatalogueRow *row = catalogueRowOfWindow(window))
        setup.model = row->id;
    for (const QLineEdit *field : setupFields(window))
        setup.inputs.append({field->objectName(), fileText(field, field->text())});
    if (const auto *described = qobject_cast<const DescribedForm *>(window)) {
        for (const QMap<QString, QString> &kept : described->keptInputs()) {
            SetupInputs inputs;
            for (auto it = kept.begin(); it != kept.end(); ++it) {
                if (const QLineEdit *field = findSetupField(window, it.key()))
                    inputs.append({it.key(), fileText(field, it.value())});
            }
            setup.keptRuns.append(inputs);
        }
    }
    if (QWidget *page = pagesOf(window)->currentWidget())
        setup.page = page->objectName();
    setup.note = window->setupNote();
    return setup;
}

bool checkSetupInputs(const ModelForm *window, const SetupInputs &inputs, QString &problem)
{
    for (const auto &[name, text] : inputs) {
        const QLineEdit *field = findSetupField(window, name);
        if (!field) {
            problem = QStringLiteral("the model has no field \"%1\"").arg(name);
            return false;
        }
        problem = fieldTextProblem(window, field, text);
        if (!problem.isEmpty())
            return false;
    }
    return true;
}

bool checkSetup(const ModelForm *window, const SetupData &setup, QString &problem)
{
    const CatalogueRow *row = catalogueRowOfWindow(window);
    if (!row || row->id != setup.model) {
        problem = QStringLiteral("a setup of model \"%1\", not of \"%2\"")
                      .arg(setup.model, row ? row->id : window->objectName());
        return false;
    }
    if (!setup.page.isEmpty() && pageIndex(window, setup.page) < 0) {
        problem = QStringLiteral("the model has no chart page \"%1\"").arg(setup.page);
        return false;
    }
    if (!checkSetupInputs(window, setup.inputs, problem))
        return false;
    for (qsizetype i = 0; i < setup.keptRuns.size(); ++i) {
        if (!checkSetupInputs(window, setup.keptRuns.at(i), problem)) {
            problem = QStringLiteral("kept run %1: %2").arg(i + 1).arg(problem);
            return false;
        }
    }
    return true;
}

void applySetupInputs(ModelForm *window, const SetupInputs &inputs)
{
    for (const auto &[name, text] : inputs) {
        if (QLineEdit *field = findSetupField(window, name))
            field->setText(fieldText(field, text));
    }
}

void applySetup(ModelForm *window, const SetupData &setup)
{
    applySetupInputs(window, setup.inputs);
    window->setSetupNote(setup.note);
}

bool applyKeptRuns(ModelForm *window, const SetupData &setup)
{
    auto *described = qobject_cast<DescribedForm *>(window);
    if (!described)
        return setup.keptRuns.isEmpty();
    for (const SetupInputs &kept : setup.keptRuns) {
        QMap<QString, QString> texts;
        for (const auto &[name, text] : kept) {
            if (const QLineEdit *field = findSetupField(window, name))
                texts.insert(field->objectName(), fieldText(field, text));
        }
        if (!described->keepRunOf(texts))
            return false;
    }
    return true;
}

void showSetupPage(ModelForm *window, const SetupData &setup)
{
    const int index = setup.page.isEmpty() ? -1 : pageIndex(window, setup.page);
    if (index >= 0)
        pagesOf(window)->setCurrentIndex(index);
}

} // namespace morva
