#include "dialogs/verzeichnisdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace trevok
{

TVerzeichnisDlg::TVerzeichnisDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(T("Arbeitsverzeichnisse", "Edit Default-Directories", "Edition Répertoires par défaut"));
    labels_ = {T("Layout-Dateien:", "Layout files:", "Fichiers Layout:"),
               T("Gerber-Export:", "Gerber export:", "Export Gerber:"),
               T("Grafik-Export:", "Graphic export:", "Export Graphiques:"),
               T("Vorlagen:", "Scanned copy:", "Copies scannées:"), QStringLiteral("PLT (HPGL):")};

    auto* group = new QGroupBox(T("Vorgaben", "Default-Directories", "Répertoires par défaut"), this);
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < 5; ++i) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setMinimumWidth(320);
        auto* label = new QLabel(labels_[static_cast<std::size_t>(i)], group);
        label->setBuddy(edit);
        auto* button = new QToolButton(group);
        button->setObjectName(QStringLiteral("Browse%1").arg(i + 1));
        button->setText(QStringLiteral("..."));
        button->setToolTip(T("Arbeitsverzeichnis wählen", "Select Default-Directories",
                             "Sélectionnez Répertoires par défaut"));
        connect(button, &QToolButton::clicked, this, [this, i] { browse(i); });
        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1);
        grid->addWidget(button, i, 2);
        edits_[static_cast<std::size_t>(i)] = edit;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Directories));

    chooseFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start);
    };
}

void TVerzeichnisDlg::setFolders(const WorkingFolders& f)
{
    const std::array<QString, 5> values{f.layout, f.gerber, f.bitmap, f.templates, f.plt};
    for (std::size_t i = 0; i < 5; ++i)
        edits_[i]->setText(values[i]);
}

WorkingFolders TVerzeichnisDlg::folders() const
{
    return WorkingFolders{edits_[0]->text(), edits_[1]->text(), edits_[2]->text(), edits_[3]->text(),
                          edits_[4]->text()};
}

QString TVerzeichnisDlg::chooserTitle(int index) const
{
    QString label = labels_.at(static_cast<std::size_t>(index));
    if (label.endsWith(QLatin1Char(':')))
        label.chop(1);
    return T("Bitte wählen Sie ein Arbeitsverzeichnis für ", "Please select a default-directory for ",
             "Sélectionnez s´il vous plait un répertoire par défaut pour ") +
           label;
}

void TVerzeichnisDlg::browse(int index)
{
    QLineEdit* edit = edits_.at(static_cast<std::size_t>(index));
    const QString chosen = chooseFolder ? chooseFolder(chooserTitle(index), edit->text()) : QString();
    if (!chosen.isEmpty())
        edit->setText(chosen);
}

} // namespace trevok
