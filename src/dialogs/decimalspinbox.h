#pragma once
// A spin box for millimetres and degrees that takes a decimal comma as well as a point, as the
// tool-bar fields do, and always shows a point.

#include <QDoubleSpinBox>

namespace trevok
{

class DecimalSpinBox : public QDoubleSpinBox
{
    Q_OBJECT
  public:
    explicit DecimalSpinBox(QWidget* parent = nullptr);

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    double valueFromText(const QString& text) const override;
    void fixup(QString& input) const override;
};

} // namespace trevok
