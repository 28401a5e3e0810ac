#include "dialogs/autosavedlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace trevok
{

TAutoSaveDlg::TAutoSaveDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(T("Autospeichern", "AutoSave", "Sauvegarde auto"));
    auto* group = new QGroupBox(T("Optionen", "Options", "Options"), this);

    autoSave_ = new QCheckBox(group);
    autoSave_->setObjectName(QStringLiteral("RB_AutoSave"));
    explanation_ =
        new QLabel(T("Mit dieser Funktion wird Ihr Layout in regelmässigen Abständen automatisch mit "
                     "der Endung *.BAK gespeichert.",
                     "Save layout periodical\nto backup file (*.bak)",
                     "Enregistre tracé périodiquement\ndans un fichier de sauvegarde (*.bak)"),
                   group);
    explanation_->setObjectName(QStringLiteral("L_Erklaerung"));
    explanation_->setWordWrap(true);
    explanation_->setMinimumWidth(300);
    explanation_->installEventFilter(this);
    cycleLabel_ = new QLabel(T("Speicherzyklus:", "Interval:", "Intervale:"), group);
    cycle_ = new QSpinBox(group);
    cycle_->setObjectName(QStringLiteral("SE_Zyklus"));
    cycle_->setRange(1, 60);
    cycle_->setSuffix(QStringLiteral(" min"));
    cycleLabel_->setBuddy(cycle_);

    auto* grid = new QGridLayout(group);
    grid->addWidget(autoSave_, 0, 0, Qt::AlignTop);
    grid->addWidget(explanation_, 0, 1, 1, 2);
    grid->addWidget(cycleLabel_, 1, 1);
    grid->addWidget(cycle_, 1, 2);
    grid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::AutoSave));
    connect(autoSave_, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    setValues(false, 300000);
}

void TAutoSaveDlg::setValues(bool on, int intervalMs)
{
    autoSave_->setChecked(on);
    cycle_->setValue(std::clamp(intervalMs / 60000, 1, 60));
    updateEnabled();
}

bool TAutoSaveDlg::autoSaveOn() const
{
    return autoSave_->isChecked();
}

int TAutoSaveDlg::intervalMs() const
{
    return cycle_->value() * 60000;
}

bool TAutoSaveDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == explanation_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        autoSave_->toggle();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAutoSaveDlg::updateEnabled()
{
    cycle_->setEnabled(autoSave_->isChecked());
    cycleLabel_->setEnabled(autoSave_->isChecked());
}

} // namespace trevok
