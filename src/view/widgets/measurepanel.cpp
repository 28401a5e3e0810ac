#include "view/widgets/measurepanel.h"

#include "view/texts.h"

#include <QGridLayout>
#include <QLabel>

namespace trevok
{

MeasurePanelWidget::MeasurePanelWidget(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("P_Messen"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 225));
    pal.setColor(QPalette::WindowText, QColor(0, 0, 0));
    setPalette(pal);
    // The panel must not take the mouse from the drawing area it floats over.
    setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 3, 4, 3);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    auto caption = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto value = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("-000.00 mm")));
        return l;
    };
    grid->addWidget(caption("L_Abstand1", T("Abstand:", "Distance:", "Distance:")), 0, 0);
    grid->addWidget(distance_ = value("L_Abstand"), 0, 1);
    grid->addWidget(caption("L_Winkel1", T("Winkel:", "Angle:", "Angle:")), 1, 0);
    grid->addWidget(angle_ = value("L_Winkel"), 1, 1);
    grid->addWidget(caption("L_DX1", QStringLiteral("dx:")), 2, 0);
    grid->addWidget(dx_ = value("L_DX"), 2, 1);
    grid->addWidget(caption("L_DY1", QStringLiteral("dy:")), 3, 0);
    grid->addWidget(dy_ = value("L_DY"), 3, 1);
    hide();
}

QPoint MeasurePanelWidget::placement(const MeasurePanel& data, QPoint cursor, QSize size) noexcept
{
    const int x = data.right ? cursor.x() + 20 : cursor.x() - size.width();
    const int y = data.below ? cursor.y() + 20 : cursor.y() - size.height();
    return {x, y};
}

void MeasurePanelWidget::showPanel(const MeasurePanel& data, QPoint cursorPixel)
{
    dx_->setText(QString::fromStdString(data.dx));
    dy_->setText(QString::fromStdString(data.dy));
    distance_->setText(QString::fromStdString(data.distance));
    angle_->setText(QString::fromStdString(data.angle));
    adjustSize();
    move(placement(data, cursorPixel, size()));
    raise();
    show();
}

} // namespace trevok
