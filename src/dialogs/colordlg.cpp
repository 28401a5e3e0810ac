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

    mCombo = new QComboBox(this);
    mCombo->setObjectName(QStringLiteral("CB_Farben"));
    mCombo->addItem(T("Standard", "Default", "Défaut"));
    for (int n = 1; n < SchemeCount; ++n)
        mCombo->addItem(QStringLiteral("User %1").arg(n));

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
        mPanels[i] = button;
        mCaptions[i] = caption;
        connect(button, &QPushButton::clicked, this, [this, i] { editPanel(static_cast<int>(i)); });
    }

    QDialogButtonBox* buttons = MakeDialogButtons(this, HelpTopic::Colours);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mCombo);
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

    connect(mCombo, &QComboBox::currentIndexChanged, this, &TColor_Dlg::schemeChosen);
    loadSchemes();
}

void TColor_Dlg::loadSchemes()
{
    for (int n = 0; n < SchemeCount; ++n)
        mSchemes[static_cast<std::size_t>(n)] = LoadColourScheme(n);
    updatePanels();
}

void TColor_Dlg::selectScheme(int index)
{
    if (index < 0 || index >= SchemeCount)
        index = 0;
    mSwitching = true;
    mCombo->setCurrentIndex(index);
    mSwitching = false;
    mIndex = index;
    mChanged = false;
    apply();
}

void TColor_Dlg::apply()
{
    CurrentColours() = mSchemes[static_cast<std::size_t>(mIndex)];
    updatePanels();
    emit coloursChanged();
}

void TColor_Dlg::updatePanels()
{
    const bool editable = mIndex > 0;
    const ColourScheme& s = mSchemes[static_cast<std::size_t>(mIndex)];
    for (std::size_t i = 0; i < EditedColours.size(); ++i) {
        QPixmap swatch(40, 14);
        swatch.fill(s.qcolor(EditedColours[i]));
        // The colours of the fixed scheme are shown too, not greyed out with the panel.
        QIcon icon(swatch);
        icon.addPixmap(swatch, QIcon::Disabled);
        mPanels[i]->setIcon(icon);
        mPanels[i]->setEnabled(editable);
        mCaptions[i]->setEnabled(editable);
    }
}

void TColor_Dlg::schemeChosen(int index)
{
    if (mSwitching || index < 0 || index >= SchemeCount || index == mIndex)
        return;
    if (mChanged && askSaveChanges && askSaveChanges())
        SaveColourScheme(mIndex, mSchemes[static_cast<std::size_t>(mIndex)]);
    mChanged = false;
    // Every user scheme is read again, so unsaved edits of the one left are dropped.
    for (int n = 1; n < SchemeCount; ++n)
        mSchemes[static_cast<std::size_t>(n)] = LoadColourScheme(n);
    mIndex = index;
    apply();
}

void TColor_Dlg::editPanel(int i)
{
    if (mIndex == 0 || i < 0 || i >= static_cast<int>(EditedColours.size()) || !chooseColour)
        return;
    ColourScheme& s = mSchemes[static_cast<std::size_t>(mIndex)];
    const int colour = EditedColours[static_cast<std::size_t>(i)];
    const std::optional<QColor> chosen = chooseColour(s.qcolor(colour));
    if (!chosen || !chosen->isValid())
        return;
    s[colour] = FromQColor(*chosen);
    mChanged = true;
    apply();
}

std::optional<QColor> TColor_Dlg::systemColourDialog(const QColor& initial)
{
    return ChooseColourRemembered(this, initial, windowTitle());
}

void TColor_Dlg::showEvent(QShowEvent* event)
{
    mSavedSchemes = mSchemes;
    mSavedColours = CurrentColours();
    mSavedIndex = mIndex;
    mSavedChanged = mChanged;
    updatePanels();
    QDialog::showEvent(event);
}

void TColor_Dlg::accept()
{
    if (mIndex > 0)
        SaveColourScheme(mIndex, mSchemes[static_cast<std::size_t>(mIndex)]);
    mChanged = false;
    QDialog::accept();
    emit coloursChanged();
}

void TColor_Dlg::reject()
{
    mSchemes = mSavedSchemes;
    mIndex = mSavedIndex;
    mChanged = mSavedChanged;
    mSwitching = true;
    mCombo->setCurrentIndex(mIndex);
    mSwitching = false;
    CurrentColours() = mSavedColours;
    updatePanels();
    QDialog::reject();
    emit coloursChanged();
}

} // namespace trevok
