#pragma once
#include <QString>
#include <stdexcept>

// A database error: carries the engine's own text. Thrown by the dataset
// layer; the data routines catch it only where they say so, elsewhere it
// travels up to the program's top-level handler.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
