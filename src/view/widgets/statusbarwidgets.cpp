#include "view/widgets/statusbarwidgets.h"

#include "edit/session.h"
#include "view/texts.h"
#include "view/widgets/cursors.h"
#include "view/widgets/layspinedit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>

namespace trevok
{

namespace
{

constexpr int PanelWidthOn = 90;
constexpr int PanelWidthOff = 47;

QToolButton* toggleButton(QWidget* parent, const char* name, std::string_view icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCheckable(true);
    b->setAutoRaise(true);
    b->setIcon(TrevokIcon(icon));
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(20, 20);
    return b;
}

QLabel* coordinateLabel(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    // Wide enough for "X: -1234 mm" and the inch form, so the bar does not jump while moving.
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("X: -12.345 \"  ")));
    return l;
}

/// The side whose ground plane the tool bar shows: side 1 while drawing on layer 1 or 2.
std::uint8_t& switchOfCurrentSide(TBoard& board)
{
    return board.ActiveLayer <= LayerB1 ? board.GroundPlane1 : board.GroundPlane2;
}

} // namespace

StatusBarWidgets::StatusBarWidgets(QWidget* parent) : QObject(parent)
{
    x_ = coordinateLabel(parent, "L_XPos");
    y_ = coordinateLabel(parent, "L_YPos");
    hint_ = new QLabel(parent);
    hint_->setObjectName(QStringLiteral("L_Hilfetext"));
    hint_->setMinimumWidth(40);
    hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    panel_ = new QWidget(parent);
    panel_->setObjectName(QStringLiteral("P_AutoMasse"));
    groundPlane_ = toggleButton(panel_, "SB_AutoMasse", "groundplane");
    clearance_ = new TLaySpinEdit(panel_);
    clearance_->setObjectName(QStringLiteral("SE_FreistanzOffset"));
    const FieldSpec limits = fieldSpec(ParamField::Freistanz);
    clearance_->setRange(limits.min, limits.max, limits.step, limits.decimals);
    // "0.4" is all the field ever shows; the 90-pixel panel must hold it with both buttons.
    clearance_->edit()->setFixedWidth(
        clearance_->edit()->fontMetrics().horizontalAdvance(QStringLiteral("0.00")) + 8);
    restricted_ = toggleButton(panel_, "SB_Sperrflaeche", "restricted");
    auto* row = new QHBoxLayout(panel_);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(1);
    row->addWidget(groundPlane_);
    row->addWidget(clearance_);
    row->addWidget(restricted_);
    row->addStretch(1);

    connect(groundPlane_, &QToolButton::clicked, this, [this](bool down) { groundPlaneClicked(down); });
    connect(restricted_, &QToolButton::clicked, this, [this](bool down) { restrictedClicked(down); });
    connect(clearance_, &TLaySpinEdit::OnEditEnter, this, [this] {
        if (session_)
            session_->properties().enterField(ParamField::Freistanz);
    });
    connect(clearance_, &TLaySpinEdit::OnEditExit, this, [this] {
        if (!session_)
            return;
        report(session_->properties().leaveField(ParamField::Freistanz, session_->project()));
        showParameters();
    });
    connect(clearance_, &TLaySpinEdit::OnEditChange, this, [this](const QString& text) {
        if (updating_ || !session_)
            return;
        report(
            session_->properties().editField(ParamField::Freistanz, text.toStdString(), session_->project()));
    });
    // The wheel turned without the focus: one visit, so its changes are one undo step.
    connect(clearance_, &TLaySpinEdit::wheelPressed, this, [this] {
        if (session_ && !clearance_->edit()->hasFocus()) {
            wheelVisit_ = true;
            session_->properties().enterField(ParamField::Freistanz);
        }
    });
    connect(clearance_, &TLaySpinEdit::wheelReleased, this, [this] {
        if (session_ && wheelVisit_) {
            wheelVisit_ = false;
            report(session_->properties().leaveField(ParamField::Freistanz, session_->project()));
            showParameters();
        }
    });
    setGroundPlaneShown(false);
}

void StatusBarWidgets::addTo(QStatusBar* bar)
{
    bar->addWidget(x_);
    bar->addWidget(y_);
    bar->addWidget(panel_);
    bar->addWidget(hint_, 1);
}

void StatusBarWidgets::setSession(EditSession* session)
{
    session_ = session;
    panel_->setEnabled(session_ != nullptr);
    syncGroundPlane();
    showParameters();
}

void StatusBarWidgets::setCoordinates(const QString& x, const QString& y)
{
    x_->setText(x);
    y_->setText(y);
}

void StatusBarWidgets::setHint(const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    hint_->setText(line);
}

void StatusBarWidgets::setGroundPlaneShown(bool down)
{
    panel_->setFixedWidth(down ? PanelWidthOn : PanelWidthOff);
    clearance_->setVisible(down);
    restricted_->setVisible(down);
}

void StatusBarWidgets::syncGroundPlane()
{
    bool down = false;
    if (session_ && session_->board())
        down = switchOfCurrentSide(*session_->board()) != 0;
    {
        const QSignalBlocker block(groundPlane_);
        groundPlane_->setChecked(down);
    }
    setGroundPlaneShown(down);
}

void StatusBarWidgets::groundPlaneClicked(bool down)
{
    TBoard* board = session_ ? session_->board() : nullptr;
    if (!board) {
        syncGroundPlane();
        return;
    }
    switchOfCurrentSide(*board) = down ? 1 : 0;
    session_->setRestrictedAreas(false);
    {
        const QSignalBlocker block(restricted_);
        restricted_->setChecked(false);
    }
    setGroundPlaneShown(down);
    session_->project().Modified = true;
    emit groundPlaneChanged(true);
}

void StatusBarWidgets::toggleGroundPlane()
{
    TBoard* board = session_ ? session_->board() : nullptr;
    if (!board)
        return;
    std::uint8_t& on = switchOfCurrentSide(*board);
    on = on ? 0 : 1;
    // The switch is stored with the board, so it is a change whichever way it was made.
    session_->project().Modified = true;
    syncGroundPlane();
    emit groundPlaneChanged(false);
}

void StatusBarWidgets::restrictedClicked(bool down)
{
    if (!session_) {
        restricted_->setChecked(false);
        return;
    }
    session_->setRestrictedAreas(down);
    {
        // Switching them on chooses the area tool, whose change notice shows the state from
        // before; show the session's state now that it is settled.
        const QSignalBlocker block(restricted_);
        restricted_->setChecked(session_->restrictedAreas());
    }
    emit restrictedAreasChanged(down);
}

void StatusBarWidgets::showParameters()
{
    updating_ = true;
    if (session_) {
        if (!clearance_->edit()->hasFocus())
            clearance_->SetText(
                QString::fromStdString(session_->properties().field(ParamField::Freistanz).text()));
        clearance_->setHighlighted(session_->properties().highlighted(ParamField::Freistanz));
        const QSignalBlocker block(restricted_);
        restricted_->setChecked(session_->restrictedAreas());
    }
    updating_ = false;
}

void StatusBarWidgets::report(const std::optional<TRect>& area)
{
    if (area) {
        session_->project().Modified = true;
        emit boardChanged(*area);
    }
}

} // namespace trevok
