#include "dialogs/fabdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace trevok
{

TFabDlg::TFabDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFabDlg"));
    setWindowTitle(T("Fertigungssatz", "Fabrication set", "Jeu de fabrication"));

    auto* note = new QLabel(
        T("Kupfer, Bestückungsdruck und Lötstopmaske beider Seiten, Umriss und Bohrdaten, alle Lagen von "
          "Seite 1 "
          "(oben) gesehen und nicht gespiegelt, mit den Dateiendungen, die Leiterplattenhersteller erkennen.",
          "Copper, component print and solder mask of both sides, outline and drill data, every layer as "
          "seen "
          "from side 1 (top) and not mirrored, under the file extensions board makers recognise.",
          "Cuivre, sérigraphie et masque de soudure des deux faces, contour et perçages, toutes les couches "
          "vues "
          "de la face 1 (dessus) et non inversées, avec les extensions reconnues par les fabricants."),
        this);
    note->setObjectName(QStringLiteral("L_Hinweis"));
    note->setWordWrap(true);

    auto* grid = new QGridLayout;
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("E_Ordner"));
    folder_->setMinimumWidth(320);
    auto* label = new QLabel(T("O&rdner:", "&Folder:", "&Répertoire :"), this);
    label->setBuddy(folder_);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("B_Ordner"));
    browse->setText(QStringLiteral("..."));
    grid->addWidget(label, 0, 0);
    grid->addWidget(folder_, 0, 1);
    grid->addWidget(browse, 0, 2);
    zip_ = new QCheckBox(T("Als &ZIP-Archiv", "As one &zip archive", "En une archive &ZIP"), this);
    zip_->setObjectName(QStringLiteral("CB_Zip"));
    grid->addWidget(zip_, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(grid);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::FabricationSet));

    chooseFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start);
    };
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString chosen = chooseFolder ? chooseFolder(windowTitle(), folder_->text()) : QString();
        if (!chosen.isEmpty())
            folder_->setText(chosen);
    });
}

void TFabDlg::setFolder(const QString& folder)
{
    folder_->setText(folder);
}

QString TFabDlg::folder() const
{
    return folder_->text();
}

void TFabDlg::setZip(bool zip)
{
    zip_->setChecked(zip);
}

bool TFabDlg::zip() const
{
    return zip_->isChecked();
}

} // namespace trevok
