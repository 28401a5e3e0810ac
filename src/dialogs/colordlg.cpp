#include "dialogs/colordlg.h"

#include "dialogs/colourpicker.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"
#include "view/userfolder.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

QString panelCaption(int colourIndex)
{
    switch (colourIndex) {
    case ColourBackground:
        return T("Hintergrund", "Background", "Arrière-plan");
    case ColourGrid:
        return T("Raster", "Grid", "Grille");
    case ColourK1:
        return T("Kupfer (Seite 1)", "Copper (side 1)", "Cuivre (face 1)");
    case ColourB1:
        return T("Bestückung (Seite 1)", "Silkscreen (side 1)", "Sérigraphie (face 1)");
    case ColourK2:
        return T("Kupfer (Seite 2)", "Copper (side 2)", "Cuivre (face 2)");
    case ColourB2:
        return T("Bestückung (Seite 2)", "Silkscreen (side 2)", "Sérigraphie (face 2)");
    case ColourConnection:
        return T("Luftlinie", "Air wires", "Chevelu");
    default:
        return {};
    }
}

const char* const PanelNames[] = {"BK", "Raster", "K1", "B1", "K2", "B2", "Luftlinie"};

} // namespace

TColor_Dlg::TColor_Dlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Color_Dlg"));
    setWindowTitle(T("Farben definieren", "Define colors", "Définir les couleurs"));

    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("CB_Farben"));
    combo_->addItem(T("Standard", "Default", "Défaut"));
    for (int n = 1; n < SchemeCount; ++n)
        combo_->addItem(QStringLiteral("User %1").arg(n));

    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < EditedColours.size(); ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(PanelNames[i]));
        button->setFixedSize(48, 22);
        button->setIconSize(QSize(40, 14));
        auto* caption = new QLabel(panelCaption(EditedColours[i]), this);
        caption->setBuddy(button);
        grid->addWidget(button, static_cast<int>(i), 0);
        grid->addWidget(caption, static_cast<int>(i), 1);
        panels_[i] = button;
        captions_[i] = caption;
        connect(button, &QPushButton::clicked, this, [this, i] { editPanel(static_cast<int>(i)); });
    }

    QDialogButtonBox* buttons = MakeDialogButtons(this, HelpTopic::Colours);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(combo_);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    chooseColour = [this](const QColor& initial) { return systemColourDialog(initial); };
    askSaveChanges = [this] {
        const QString text =
            T("Sie haben das Farbschema verändert.\rSollen die Änderungen gespeichert werden?",
              "You have changed the colors.\rSave changes?",
              "Vous avez changé les couleurs.\rSauvegarder les modifications ?");
        return ShowMessageBox(this, QMessageBox::Question, windowTitle(), text,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };

    connect(combo_, &QComboBox::currentIndexChanged, this, &TColor_Dlg::schemeChosen);
    loadSchemes();
}

void TColor_Dlg::loadSchemes()
{
    for (int n = 0; n < SchemeCount; ++n)
        schemes_[static_cast<std::size_t>(n)] = LoadColourScheme(n);
    updatePanels();
}

void TColor_Dlg::selectScheme(int index)
{
    if (index < 0 || index >= SchemeCount)
        index = 0;
    switching_ = true;
    combo_->setCurrentIndex(index);
    switching_ = false;
    index_ = index;
    changed_ = false;
    apply();
}

void TColor_Dlg::apply()
{
    CurrentColours() = schemes_[static_cast<std::size_t>(index_)];
    updatePanels();
    emit coloursChanged();
}

void TColor_Dlg::updatePanels()
{
    const bool editable = index_ > 0;
    const ColourScheme& s = schemes_[static_cast<std::size_t>(index_)];
    for (std::size_t i = 0; i < EditedColours.size(); ++i) {
        QPixmap swatch(40, 14);
        swatch.fill(s.qcolor(EditedColours[i]));
        // The colours of the fixed scheme are shown too, not greyed out with the panel.
        QIcon icon(swatch);
        icon.addPixmap(swatch, QIcon::Disabled);
        panels_[i]->setIcon(icon);
        panels_[i]->setEnabled(editable);
        captions_[i]->setEnabled(editable);
    }
}

void TColor_Dlg::schemeChosen(int index)
{
    if (switching_ || index < 0 || index >= SchemeCount || index == index_)
        return;
    if (changed_ && askSaveChanges && askSaveChanges())
        SaveColourScheme(index_, schemes_[static_cast<std::size_t>(index_)]);
    changed_ = false;
    // Every user scheme is read again, so unsaved edits of the one left are dropped.
    for (int n = 1; n < SchemeCount; ++n)
        schemes_[static_cast<std::size_t>(n)] = LoadColourScheme(n);
    index_ = index;
    apply();
}

void TColor_Dlg::editPanel(int i)
{
    if (index_ == 0 || i < 0 || i >= static_cast<int>(EditedColours.size()) || !chooseColour)
        return;
    ColourScheme& s = schemes_[static_cast<std::size_t>(index_)];
    const int colour = EditedColours[static_cast<std::size_t>(i)];
    const std::optional<QColor> chosen = chooseColour(s.qcolor(colour));
    if (!chosen || !chosen->isValid())
        return;
    s[colour] = FromQColor(*chosen);
    changed_ = true;
    apply();
}

std::optional<QColor> TColor_Dlg::systemColourDialog(const QColor& initial)
{
    return ChooseColourRemembered(this, initial, windowTitle());
}

void TColor_Dlg::showEvent(QShowEvent* event)
{
    savedSchemes_ = schemes_;
    savedColours_ = CurrentColours();
    savedIndex_ = index_;
    savedChanged_ = changed_;
    updatePanels();
    QDialog::showEvent(event);
}

void TColor_Dlg::accept()
{
    if (index_ > 0)
        SaveColourScheme(index_, schemes_[static_cast<std::size_t>(index_)]);
    changed_ = false;
    QDialog::accept();
    emit coloursChanged();
}

void TColor_Dlg::reject()
{
    schemes_ = savedSchemes_;
    index_ = savedIndex_;
    changed_ = savedChanged_;
    switching_ = true;
    combo_->setCurrentIndex(index_);
    switching_ = false;
    CurrentColours() = savedColours_;
    updatePanels();
    QDialog::reject();
    emit coloursChanged();
}

} // namespace trevok
