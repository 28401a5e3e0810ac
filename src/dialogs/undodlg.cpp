#include "dialogs/undodlg.h"

#include "dialogs/dialogbuttons.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace trevok
{

TUndoDlg::TUndoDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(T("Rückgängig", "Undo", "Retour en arrière"));
    auto* group = new QGroupBox(T("Anzahl der Rückgängig-Aktionen", "Number of undo steps",
                                  "Nombre d'opérations de retour en arrière"),
                                this);
    undo_ = new QSpinBox(group);
    undo_->setObjectName(QStringLiteral("SE_Undo"));
    undo_->setRange(1, 50);
    auto* text = new QLabel(
        T("Hier können Sie die maximale Anzahl der Rückgängig-Aktionen einstellen. Der Maximalwert liegt bei "
          "50 "
          "Aktionen.\nWenn Ihr System bei grösseren Layouts zu langsam wird, können Sie diesen Wert bis auf "
          "1 "
          "verringern.",
          "Here you set how many changes can be undone, at most 50.\nIf the program becomes slow with large "
          "layouts, you can lower this value down to 1.",
          "Indiquez ici le nombre maximal d'opérations pouvant être annulées, 50 au plus.\nSi le programme "
          "devient lent avec de grands tracés, vous pouvez réduire cette valeur jusqu'à 1."),
        group);
    text->setWordWrap(true);
    text->setMinimumWidth(320);

    auto* inner = new QVBoxLayout(group);
    inner->addWidget(text);
    inner->addWidget(undo_, 0, Qt::AlignLeft);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(MakeDialogButtons(this, 0));
    setDepth(50);
}

void TUndoDlg::setDepth(int d)
{
    undo_->setValue(std::clamp(d + 1, 1, 50));
}

int TUndoDlg::depth() const
{
    return undo_->value() - 1;
}

} // namespace trevok
