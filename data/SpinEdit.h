#pragma once
#include <QAbstractSpinBox>
#include <QLineEdit>

// A number edit with up and down arrows that shows exactly what was typed:
// a value outside the range can be typed ("250" where 200 is the most) and
// stays until the form brings it within range, typically when the edit is
// left. The arrows step within the range.
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    void setRange(int minValue, int maxValue);
    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    // The most characters that can be typed (0: no limit).
    void setMaxLength(int n);

    // The edit the text is typed into.
    QLineEdit* edit() const { return lineEdit(); }
    // The typed text as it stands, and its number (0 when no number was typed).
    QString rawText() const;
    int value() const;
    // Shows the number as if typed.
    void setValue(int v);
    // A value above the range becomes its top, then one below it its bottom.
    void clampValue();

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;

signals:
    void valueChanged(int value);

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_min = 0;
    int m_max = 100;
};
