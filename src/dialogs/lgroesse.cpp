#include "dialogs/lgroesse.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "document/cp1252.h"
#include "document/messages.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace trevok
{

TL_Groesse::TL_Groesse(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(T("Platine einrichten", "Board properties", "Propriétés carte"));
    auto* group = new QGroupBox(T("Layoutgrösse (max. 300x300 mm)", "Board size (max. 300 x 300 mm)",
                                  "Dimensions carte (max. 300 x 300 mm)"),
                                this);
    width_ = new QLineEdit(group);
    height_ = new QLineEdit(group);
    width_->setObjectName(QStringLiteral("E_Breite"));
    height_->setObjectName(QStringLiteral("E_Hoehe"));
    // Whole millimetres are what is stored; decimals are still accepted and rounded, so only the
    // length of the entry is limited here.
    for (QLineEdit* e : {width_, height_}) {
        e->setMaxLength(8);
        e->setAlignment(Qt::AlignRight);
    }
    auto* size = new QFormLayout(group);
    size->addRow(T("Breite [mm]:", "Width (mm):", "Largeur (mm):"), width_);
    size->addRow(T("Höhe [mm]:", "Height (mm):", "Hauteur (mm):"), height_);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("E_Name"));
    name_->setMaxLength(static_cast<int>(MaxBoardNameBytes));
    auto* nameRow = new QFormLayout;
    nameRow->addRow(T("Name", "Name", "Nom"), name_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(nameRow);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::BoardSize));

    showMessage = [this](const QString& caption, const QString& text) {
        ShowMessageBox(this, QMessageBox::Information, caption, text, QMessageBox::Ok);
    };
}

void TL_Groesse::setBoard(const TBoard& board)
{
    width_->setText(QString::number(boardSizeMm(board.BoardWidth)));
    height_->setText(QString::number(boardSizeMm(board.BoardHeight)));
    name_->setText(QString::fromStdString(Cp1252ToUtf8(board.Name)));
    width_->setFocus();
    width_->selectAll();
}

std::string TL_Groesse::boardName() const
{
    return Utf8ToCp1252(name_->text().toStdString());
}

void TL_Groesse::accept()
{
    try {
        size_ = parseBoardSize(width_->text().toStdString(), height_->text().toStdString());
    } catch (const TrevokError& e) {
        if (showMessage)
            showMessage(CaptionQ(e.id), MessageQ(e.id, e.args));
        return;
    }
    QDialog::accept();
}

} // namespace trevok
