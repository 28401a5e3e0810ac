#include "dialogs/dialogbuttons.h"

#include "dialogs/help.h"
#include "view/texts.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace trevok
{

QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic, bool withCancel)
{
    auto* box = new QDialogButtonBox(dialog);
    box->addButton(QDialogButtonBox::Ok)->setText(T("&OK", "&OK", "&OK"));
    if (withCancel)
        box->addButton(QDialogButtonBox::Cancel)->setText(T("&Abbrechen", "&Cancel", "&Annuler"));
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    if (helpTopic > 0) {
        QPushButton* help = box->addButton(QDialogButtonBox::Help);
        help->setText(T("&Hilfe", "&Help", "A&ide"));
        QObject::connect(box, &QDialogButtonBox::helpRequested, dialog,
                         [helpTopic] { ShowHelpTopic(helpTopic); });
        AddHelpKey(dialog, helpTopic);
    }
    KeepTitleVisible(dialog);
    return box;
}

void AddHelpKey(QDialog* dialog, int helpTopic)
{
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    QObject::connect(f1, &QShortcut::activated, dialog, [helpTopic] { ShowHelpTopic(helpTopic); });
}

namespace
{

/// Widens its dialog when the title changes.
class TitleWatcher : public QObject
{
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowTitleChange)
            if (auto* w = qobject_cast<QWidget*>(watched))
                w->setMinimumWidth(std::max(w->minimumWidth(), TitleWidth(w, w->windowTitle())));
        return false;
    }
};

} // namespace

int TitleWidth(const QWidget* dialog, const QString& title)
{
    // The title bar's font is not known to the program; it is often bold and a little larger.
    QFont font = dialog->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    // Icon, close and help buttons of the frame take about this much.
    constexpr int kFrameButtons = 110;
    return QFontMetrics(font).horizontalAdvance(title) + kFrameButtons;
}

void KeepTitleVisible(QDialog* dialog)
{
    static const char* const watched = "trevokTitleWatched";
    if (dialog->property(watched).toBool())
        return;
    dialog->setProperty(watched, true);
    dialog->installEventFilter(new TitleWatcher(dialog));
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), TitleWidth(dialog, dialog->windowTitle())));
}

QString StandardButtonText(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return T("&OK", "&OK", "&OK");
    case QMessageBox::Cancel:
        return T("&Abbrechen", "&Cancel", "&Annuler");
    case QMessageBox::Yes:
        return T("&Ja", "&Yes", "&Oui");
    case QMessageBox::No:
        return T("&Nein", "&No", "&Non");
    case QMessageBox::Close:
        return T("S&chließen", "&Close", "&Fermer");
    case QMessageBox::Help:
        return T("&Hilfe", "&Help", "A&ide");
    default:
        return {};
    }
}

void LabelStandardButtons(QMessageBox& box)
{
    for (QAbstractButton* b : box.buttons()) {
        const QString text = StandardButtonText(box.standardButton(b));
        if (!text.isEmpty())
            b->setText(text);
    }
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon, caption, shown, buttons, parent);
    LabelStandardButtons(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace trevok
