#include "dialogs/korrekturdlg.h"

#include "dialogs/dialogbuttons.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

#include <cmath>

namespace trevok
{

std::optional<double> ParseFactor(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

TKorrekturDlg::TKorrekturDlg(double kx, double ky, QWidget* parent) : QDialog(parent), kx_(kx), ky_(ky)
{
    setObjectName(QStringLiteral("KorrekturDlg"));
    setWindowTitle(T("Korrekturfaktoren", "Printer calibration", "Calibration imprimante"));

    auto* explanation = new QLabel(
        T("Bei einigen Druckern können geringfügige Verzerrungen bei der Druckausgabe auftreten. Sie können "
          "hier "
          "horizontale und vertikale Korrekturfaktoren angeben. Werte größer 1 strecken, Werte kleiner 1 "
          "stauchen "
          "den Ausdruck.",
          "Some printers may produce insignificant distortions. You may enter horizontal or vertical "
          "correction "
          "factors. Factors greater than 1 will stretch and factors smaller than 1 will jolt the printout.",
          "Certaines imprimantes peuvent générer des distorsions significatives. Vous devez saisir des "
          "facteurs de "
          "corrections horizontaux ou verticaux. Des facteurs supérieurs à 1 étireront l´impression, tandis "
          "que des "
          "facteurs inférieurs la réduiront."),
        this);
    explanation->setObjectName(QStringLiteral("Label3"));
    explanation->setWordWrap(true);

    h_ = new QLineEdit(QString::number(kx, 'f', 5), this);
    h_->setObjectName(QStringLiteral("HKorrektur"));
    v_ = new QLineEdit(QString::number(ky, 'f', 5), this);
    v_->setObjectName(QStringLiteral("VKorrektur"));
    auto* form = new QFormLayout;
    form->addRow(T("Horizontaler Korrekturfaktor:", "Horizontal (X):", "Horizontal (X):"), h_);
    form->addRow(T("Vertikaler Korrekturfaktor:", "Vertical (Y)", "Vertical (Y)"), v_);

    inform = [this](const QString& text) { QMessageBox::information(this, QStringLiteral("Trevok"), text); };

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(MakeDialogButtons(this, 0));
    setMinimumWidth(380);
}

void TKorrekturDlg::accept()
{
    const auto h = ParseFactor(h_->text());
    const auto v = ParseFactor(v_->text());
    auto inRange = [](const std::optional<double>& f) { return f && *f >= 0.8 && *f <= 1.2; };
    if (!inRange(h) || !inRange(v)) {
        inform(T("Die Korrekturfaktoren müssen\nzwischen 0.8...1.2 liegen.\n",
                 "Please enter values from 0.8 to 1.2",
                 "Entrez s´il vous plait des valeurs comprises entre 0.8 et 1.2"));
        return;
    }
    kx_ = *h;
    ky_ = *v;
    QDialog::accept();
}

} // namespace trevok
