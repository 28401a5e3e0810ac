#include "dialogs/decimalspinbox.h"

namespace trevok
{

namespace
{

QString withPoint(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

} // namespace

DecimalSpinBox::DecimalSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setLocale(QLocale::c());
}

QValidator::State DecimalSpinBox::validate(QString& input, int& pos) const
{
    QString text = withPoint(input);
    const QValidator::State state = QDoubleSpinBox::validate(text, pos);
    if (state != QValidator::Invalid)
        input = text;
    return state;
}

double DecimalSpinBox::valueFromText(const QString& text) const
{
    return QDoubleSpinBox::valueFromText(withPoint(text));
}

void DecimalSpinBox::fixup(QString& input) const
{
    input = withPoint(input);
    QDoubleSpinBox::fixup(input);
}

} // namespace trevok
