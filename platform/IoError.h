#pragma once
#include <QString>
#include <stdexcept>

// A file that could not be read or written: carries a text naming the file
// and what went wrong. Travels up to the program's top-level handler.
class IoError : public std::runtime_error {
public:
    explicit IoError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
