#include "dialogs/cp1252validator.h"

#include "document/cp1252.h"

namespace trevok
{

bool fitsCp1252(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes =
        Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    return Cp1252ToUtf8(bytes) == std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QValidator::State Cp1252Validator::validate(QString& input, int&) const
{
    return fitsCp1252(input) ? Acceptable : Invalid;
}

std::string toCp1252(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString fromCp1252(const std::string& bytes)
{
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}

} // namespace trevok
