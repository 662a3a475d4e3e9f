#include "SpinEdit.h"

#include <QLineEdit>

#include <algorithm>

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit valueChanged(value()); });
}

void TSpinEdit::setRange(int minValue, int maxValue)
{
    m_min = minValue;
    m_max = std::max(minValue, maxValue);
}

void TSpinEdit::setMaxLength(int n) { lineEdit()->setMaxLength(n > 0 ? n : 32767); }

QString TSpinEdit::rawText() const { return lineEdit()->text(); }

int TSpinEdit::value() const
{
    bool ok = false;
    const int v = rawText().trimmed().toInt(&ok);
    return ok ? v : 0;
}

void TSpinEdit::setValue(int v)
{
    const QString text = QString::number(v);
    if (text != rawText())
        lineEdit()->setText(text);
}

void TSpinEdit::clampValue()
{
    int v = value();
    if (v > m_max)
        v = m_max;
    if (v < m_min)
        v = m_min;
    if (v != value() || rawText().trimmed() != QString::number(v))
        setValue(v);
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const
{
    // Digits with an optional leading minus; anything in that shape stands,
    // in range or not.
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c.isDigit() && c.unicode() < 128)
            continue;
        if (i == 0 && c == QLatin1Char('-'))
            continue;
        return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void TSpinEdit::fixup(QString& /*input*/) const {}

void TSpinEdit::stepBy(int steps)
{
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, m_min, m_max)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}
