#include "dialogs/layerinfo.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace trevok
{
namespace
{

QString meaning(int layer)
{
    switch (layer) {
    case 1:
        return T("Kupfer (Seite 1)", "Copper (side 1)", "Cuivre (face 1)");
    case 2:
        return T("Bestückung (Seite 1)", "Silkscreen (side 1)", "Sérigraphie (face 1)");
    case 3:
        return T("Kupfer (Seite 2)", "Copper (side 2)", "Cuivre (face 2)");
    default:
        return T("Bestückung (Seite 2)", "Silkscreen (side 2)", "Sérigraphie (face 2)");
    }
}

QPixmap swatch(const QColor& colour)
{
    QPixmap pixmap(40, 18);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return pixmap;
}

} // namespace

TLayerInfo::TLayerInfo(const std::array<QColor, 4>& colours, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(T("Layer-Information", "Layer information", "Information couches"));
    KeepTitleVisible(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    // Copper layers first, then the component prints.
    int row = 0;
    for (int layer : {1, 3, 2, 4}) {
        auto* colour = new QLabel(this);
        colour->setObjectName(QStringLiteral("Colour%1").arg(layer));
        auto* name = new QLabel(QStringLiteral("<b>%1</b>").arg(LayerCaption(layer)), this);
        name->setObjectName(QStringLiteral("Layer%1").arg(layer));
        grid->addWidget(colour, row, 0);
        grid->addWidget(name, row, 1);
        grid->addWidget(new QLabel(meaning(layer), this), row, 2);
        swatches_[static_cast<std::size_t>(layer - 1)] = colour;
        ++row;
    }
    grid->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Close)->setText(T("S&chließen", "&Close", "&Fermer"));
    buttons->addButton(QDialogButtonBox::Help)->setText(T("&Hilfe", "&Help", "A&ide"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { ShowHelpTopic(HelpTopic::LayerInfo); });
    AddHelpKey(this, HelpTopic::LayerInfo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    setColours(colours);
}

void TLayerInfo::setColours(const std::array<QColor, 4>& colours)
{
    colours_ = colours;
    for (std::size_t i = 0; i < 4; ++i)
        swatches_[i]->setPixmap(swatch(colours_[i]));
}

} // namespace trevok
