#include "dialogs/realansichtdlg.h"

#include "dialogs/dialogbuttons.h"

#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <QVBoxLayout>

namespace trevok
{

TRealAnsichtDlg::TRealAnsichtDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RealAnsichtDlg"));
    setWindowTitle(T("Fotoansicht", "Photo view", "Vue photo"));
    KeepTitleVisible(this);
    // A tool window beside the main window: it stays on top of it and does not block it.
    setWindowFlag(Qt::Tool);
    setModal(false);

    auto* sides = new QGroupBox(T("Ansicht", "View", "Vue"), this);
    side1_ = new QRadioButton(T("Seite 1 = K1/B1", "Side 1 = C1/S1", "Face 1 = C1/S1"), sides);
    side2_ = new QRadioButton(
        T("Seite 2 = K2/B2  (gespiegelt)", "Side 2 = C2/S2  (mirrored)", "Face 2 = C2/S2  (miroir)"), sides);
    side1_->setObjectName(QStringLiteral("RB_Seite1"));
    side2_->setObjectName(QStringLiteral("RB_Seite2"));
    side1_->setChecked(true);
    auto* sideLayout = new QVBoxLayout(sides);
    sideLayout->addWidget(side1_);
    sideLayout->addWidget(side2_);

    components_ = new QCheckBox(T("Mit Bestückung", "With silkscreen", "Avec sérigraphie"), this);
    components_->setObjectName(QStringLiteral("CB_Bestueckung"));
    translucent_ = new QCheckBox(T("Durchscheinend", "Translucent", "Translucide"), this);
    translucent_->setObjectName(QStringLiteral("CB_Durchscheinend"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sides);
    layout->addWidget(components_);
    layout->addWidget(translucent_);

    // side2_ toggles together with side1_, so one connection reports a side change once.
    connect(side1_, &QRadioButton::toggled, this, [this] { report(); });
    connect(components_, &QCheckBox::toggled, this, [this] { report(); });
    connect(translucent_, &QCheckBox::toggled, this, [this] { report(); });
}

PhotoView TRealAnsichtDlg::photoView() const
{
    PhotoView v;
    v.shown = shown_;
    v.side = side2_->isChecked() ? 2 : 1;
    v.withComponents = components_->isChecked();
    v.translucent = translucent_->isChecked();
    return v;
}

void TRealAnsichtDlg::setPhotoView(const PhotoView& view)
{
    updating_ = true;
    (view.side == 2 ? side2_ : side1_)->setChecked(true);
    components_->setChecked(view.withComponents);
    translucent_->setChecked(view.translucent);
    updating_ = false;
}

void TRealAnsichtDlg::report()
{
    if (!updating_)
        emit photoViewChanged(photoView());
}

void TRealAnsichtDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    shown_ = true;
    report();
}

void TRealAnsichtDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    shown_ = false;
    // Hidden by closing, Escape or another tool: the main view returns to its normal colours.
    report();
}

void TRealAnsichtDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpTopic(HelpTopic::PhotoView);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace trevok
