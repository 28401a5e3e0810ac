#include "dialogs/autorouter.h"

#include "dialogs/dialogbuttons.h"

#include "dialogs/decimalspinbox.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMoveEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

DecimalSpinBox* millimetres(QWidget* parent, const char* name, double value)
{
    auto* e = new DecimalSpinBox(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setRange(0.1, 9.9);
    e->setSingleStep(0.1);
    e->setDecimals(1);
    e->setValue(value);
    return e;
}

} // namespace

TAutoRouter::TAutoRouter(RouterSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings)
{
    setObjectName(QStringLiteral("AutoRouter"));
    setWindowTitle(T("Autorouter", "Autorouter", "Routeur automatique"));
    KeepTitleVisible(this);
    // A tool window: it stays on top of the main window and does not block it.
    setWindowFlag(Qt::Tool);
    setModal(false);

    width_ = millimetres(this, "SE_AutoWidth", settings.widthMm);
    clearance_ = millimetres(this, "SE_AutoAbstand", settings.clearanceMm);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("P_AutoInfo"));
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setFrameShadow(QFrame::Sunken);
    status_->setMinimumWidth(180);
    SetStatus(QString::fromStdString(RouterText(RouterMessage::Ready, CurrentLanguage())));

    auto* form = new QFormLayout;
    form->addRow(T("Breite:", "Width:", "Largeur:"), width_);
    form->addRow(T("Abstand:", "Distance:", "Distance:"), clearance_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);

    connect(width_, &QDoubleSpinBox::valueChanged, this, [this](double v) { settings_.widthMm = v; });
    connect(clearance_, &QDoubleSpinBox::valueChanged, this, [this](double v) { settings_.clearanceMm = v; });
}

void TAutoRouter::showTool()
{
    width_->setValue(settings_.widthMm);
    clearance_->setValue(settings_.clearanceMm);
    adjustSize();
    // A place on a screen that is gone (another monitor, another resolution) is forgotten.
    if (place_ && !QGuiApplication::screenAt(*place_ + QPoint(width() / 2, 10)))
        place_.reset();
    if (place_) {
        move(*place_);
    } else if (parentWidget()) {
        const QRect p = parentWidget()->frameGeometry();
        move(p.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void TAutoRouter::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // Moves while hidden are the window system's, not the user's.
    if (isVisible())
        place_ = pos();
}

void TAutoRouter::SetStatus(const QString& text)
{
    status_->setText(QLatin1Char(' ') + text);
    // The router does not return to the event loop while it runs.
    status_->repaint();
}

void TAutoRouter::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    emit closedByUser();
}

void TAutoRouter::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpTopic(HelpTopic::Router);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace trevok
