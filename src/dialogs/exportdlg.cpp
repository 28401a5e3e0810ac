#include "dialogs/exportdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "print/boardimage.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

constexpr std::int64_t LargeImageKb = 25000;

QLabel* named(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

TExportDlg::TExportDlg(std::int32_t boardWidth, std::int32_t boardHeight, Kind kind, QWidget* parent)
    : QDialog(parent), width_(boardWidth), height_(boardHeight), kind_(kind)
{
    setObjectName(QStringLiteral("TExportDlg"));
    switch (kind) {
    case Kind::Bitmap:
        setWindowTitle(T("Bitmap-Export (alle sichtbaren Layer)", "Bitmap export (all visible layers)",
                         "Exportation bitmap (toutes les couches visibles)"));
        break;
    case Kind::Gif:
        setWindowTitle(T("GIF-Export", "GIF-Export", "Exportation GIF"));
        break;
    case Kind::Png:
        setWindowTitle(T("PNG-Export", "PNG export", "Exportation PNG"));
        break;
    }

    auto* resolution = new QGroupBox(T("Auflösung", "Resolution", "Résolution"), this);
    auto* grid = new QGridLayout(resolution);
    grid->addWidget(named("Label1", T("Originalgrösse:", "Size:", "Taille:"), resolution), 0, 0);
    grid->addWidget(named("L_Original",
                          QStringLiteral("%1 mm x %2 mm")
                              .arg(boardWidth / 100.0, 0, 'f', 1)
                              .arg(boardHeight / 100.0, 0, 'f', 1),
                          resolution),
                    0, 1);
    grid->addWidget(named("Label2", T("Auflösung (dpi):", "Resolution:", "Résolution:"), resolution), 1, 0);
    dpiLabel_ = named("L_dpi", QString(), resolution);
    grid->addWidget(dpiLabel_, 1, 1);
    trackBar_ = new QSlider(Qt::Horizontal, resolution);
    trackBar_->setObjectName(QStringLiteral("TrackBar"));
    trackBar_->setRange(MinImageDpi, MaxImageDpi);
    trackBar_->setValue(300);
    trackBar_->setTickPosition(QSlider::TicksBelow);
    trackBar_->setTickInterval(20);
    trackBar_->setSingleStep(10);
    trackBar_->setPageStep(20);
    auto* bar = new QHBoxLayout;
    bar->addWidget(named("L_Gering", T("gering", "Low", "Bas"), resolution));
    bar->addWidget(trackBar_, 1);
    bar->addWidget(named("L_Hoch", T("hoch", "High", "Haut"), resolution));
    grid->addLayout(bar, 2, 0, 1, 2);
    grid->addWidget(named("Label3", T("Grösse der Bitmap in Pixel:", "Pixels:", "Pixels:"), resolution), 3,
                    0);
    pixelLabel_ = named("L_Pixel", QString(), resolution);
    grid->addWidget(pixelLabel_, 3, 1);
    QLabel* memoryCaption = named("Label4", T("Speicherbedarf:", "Memory:", "Mémoire:"), resolution);
    memoryLabel_ = named("L_Speicher", QString(), resolution);
    grid->addWidget(memoryCaption, 4, 0);
    grid->addWidget(memoryLabel_, 4, 1);

    auto* format = new QGroupBox(T("Farbe", "Format", "Format"), this);
    auto* formatBox = new QHBoxLayout(format);
    colour_ = new QRadioButton(T("&Farbe", "Co&lored", "&En couleur"), format);
    colour_->setObjectName(QStringLiteral("RB_Farbe"));
    mono_ = new QRadioButton(T("&S/W", "&B&&W", "&B&&N"), format);
    mono_->setObjectName(QStringLiteral("RB_SW"));
    formatBox->addWidget(colour_);
    formatBox->addWidget(mono_);
    mono_->setChecked(true);
    if (kind != Kind::Bitmap) {
        // GIF and PNG are always in colour and are compressed: no memory line.
        colour_->setChecked(true);
        mono_->setEnabled(false);
        memoryCaption->hide();
        memoryLabel_->hide();
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(resolution);
    layout->addWidget(format);
    layout->addWidget(
        MakeDialogButtons(this, kind == Kind::Bitmap ? HelpTopic::BitmapExport : HelpTopic::GifExport));

    connect(trackBar_, &QSlider::valueChanged, this, [this] { recalculate(); });
    connect(colour_, &QRadioButton::clicked, this, [this] { recalculate(); });
    connect(mono_, &QRadioButton::clicked, this, [this] { recalculate(); });
    confirmLarge = [this](const QString& text) {
        return QMessageBox::warning(this, QStringLiteral("Trevok"), text,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    recalculate();
}

int TExportDlg::dpi() const
{
    return trackBar_->value();
}

bool TExportDlg::colour() const
{
    return colour_->isChecked();
}

std::int64_t TExportDlg::memoryKb() const
{
    return ImageMemoryKb(ImagePixelSize(width_, height_, dpi()), colour());
}

void TExportDlg::recalculate()
{
    const QSize px = ImagePixelSize(width_, height_, dpi());
    dpiLabel_->setText(QStringLiteral("%1 dpi").arg(dpi()));
    pixelLabel_->setText(QStringLiteral("%1 x %2").arg(px.width()).arg(px.height()));
    memoryLabel_->setText(QStringLiteral("%1 kB").arg(memoryKb()));
}

QString TExportDlg::largeBitmapWarning()
{
    return T(
        "Das erstellen von so großen Bitmaps kann das System instabil\r"
        "werden lassen, wenn nicht genügend freier Speicher vorhanden ist.\r\r"
        "Möchten Sie trotzdem fortfahren ?",
        "You are about to create a large bitmap.\rBetter make sure that your work is saved.\r\rContinue ?",
        "Vous êtes sur le point de créer une très grande image.\r"
        "Il est préférable que votre travail soit ai été sauvegardé.\r\rContinuer ?");
}

void TExportDlg::accept()
{
    if (memoryKb() > LargeImageKb && confirmLarge && !confirmLarge(largeBitmapWarning()))
        return; // No keeps the dialog open
    QDialog::accept();
}

} // namespace trevok
