#pragma once
// Text fields whose contents are kept as Windows-1252 bytes (element texts): a validator that
// refuses characters Windows-1252 cannot hold, so that what is typed is what is stored.

#include <QString>
#include <QValidator>

#include <string>

namespace trevok
{

class Cp1252Validator : public QValidator
{
    Q_OBJECT
  public:
    explicit Cp1252Validator(QObject* parent = nullptr) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;
};

/// Whether every character of the text has a Windows-1252 code.
bool fitsCp1252(const QString& text);
/// The field's text as Windows-1252 bytes, and back.
std::string toCp1252(const QString& text);
QString fromCp1252(const std::string& bytes);

} // namespace trevok
