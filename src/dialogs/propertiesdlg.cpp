#include "dialogs/propertiesdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"
#include "view/widgets/cursors.h"
#include "view/widgets/propertybar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

using F = PropertyField;

bool isCheck(F f) noexcept
{
    return f == F::ThroughPlated || f == F::Filled || f == F::Restricted;
}

QString fromText(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

QString TPropertiesDlg::fieldCaption(PropertyField field)
{
    switch (field) {
    case F::Layer:
        return T("Layer", "Layer", "Couche");
    case F::Clearance:
        return T("Freistanz [mm]", "Clearance [mm]", "Dégagement [mm]");
    case F::X:
        return T("Mitte X [mm]", "Centre X [mm]", "Centre X [mm]");
    case F::Y:
        return T("Mitte Y [mm]", "Centre Y [mm]", "Centre Y [mm]");
    case F::PadDiameter:
        return T("Aussendurchmesser [mm]", "Outer diameter [mm]", "Diamètre extérieur [mm]");
    case F::Drill:
        return T("Bohrung [mm]", "Drill [mm]", "Perçage [mm]");
    case F::Shape:
        return T("Form", "Shape", "Forme");
    case F::ThroughPlated:
        return T("Durchkontaktierung", "Through-plated", "Métallisé");
    case F::SmdWidth:
        return T("Breite [mm]", "Width [mm]", "Largeur [mm]");
    case F::SmdHeight:
        return T("Höhe [mm]", "Height [mm]", "Hauteur [mm]");
    case F::Width:
        return T("Linienbreite [mm]", "Line width [mm]", "Largeur de ligne [mm]");
    case F::OuterRadius:
        return T("Aussenradius [mm]", "Outer radius [mm]", "Rayon extérieur [mm]");
    case F::InnerRadius:
        return T("Innenradius [mm]", "Inner radius [mm]", "Rayon intérieur [mm]");
    case F::StartAngle:
        return T("Startwinkel [°]", "Start angle [°]", "Angle de départ [°]");
    case F::StopAngle:
        return T("Stopwinkel [°]", "Stop angle [°]", "Angle d'arrivée [°]");
    case F::Filled:
        return T("Gefüllt", "Filled", "Rempli");
    case F::Restricted:
        return T("Sperrfläche", "Restricted area", "Zone interdite");
    case F::Corners:
        return T("Eckpunkte", "Corners", "Sommets");
    case F::Count:
        break;
    }
    return {};
}

TPropertiesDlg::TPropertiesDlg(const PropertySheet& shown, Apply apply, QWidget* parent)
    : QDialog(parent), shown_(shown), apply_(std::move(apply))
{
    setObjectName(QStringLiteral("TPropertiesDlg"));
    setWindowTitle(T("Eigenschaften", "Properties", "Propriétés"));
    // A long list of fields goes into two columns, so the dialog fits a small screen.
    std::size_t rows = 0;
    for (std::size_t i = 0; i < PropertyFieldCount; ++i)
        rows += shown.present[i] && static_cast<F>(i) != F::Corners;
    auto* firstColumn = new QFormLayout;
    auto* secondColumn = new QFormLayout;
    QFormLayout* form = firstColumn;
    std::size_t placed = 0;
    for (std::size_t i = 0; i < PropertyFieldCount; ++i) {
        const F f = static_cast<F>(i);
        if (!shown.present[i] || f == F::Corners)
            continue;
        if (rows > 8 && placed++ == (rows + 1) / 2)
            form = secondColumn;
        const QString text = fromText(shown.text[i]);
        if (f == F::Layer) {
            layer_ = new QComboBox(this);
            layer_->setObjectName(QStringLiteral("CB_Layer"));
            layer_->addItem(QString(), 0); // the elements differ: left as they are
            for (std::uint8_t l : shown.layers)
                layer_->addItem(LayerCaption(l), int(l));
            layer_->setCurrentIndex(std::max(0, layer_->findData(text.toInt())));
            form->addRow(fieldCaption(f) + QLatin1Char(':'), layer_);
        } else if (f == F::Shape) {
            shape_ = new QComboBox(this);
            shape_->setObjectName(QStringLiteral("CB_Form"));
            shape_->addItem(QString(), 0);
            for (int s = ShapeRound; s <= ShapeRectTall; ++s)
                shape_->addItem(PadShapeIcon(s, false), PadShapeCaption(s), s);
            shape_->setCurrentIndex(std::max(0, shape_->findData(text.toInt())));
            form->addRow(fieldCaption(f) + QLatin1Char(':'), shape_);
        } else if (isCheck(f)) {
            auto* box = new QCheckBox(fieldCaption(f), this);
            box->setObjectName(QStringLiteral("CB_%1").arg(int(i)));
            // Differing elements: the third state leaves each as it is.
            box->setTristate(text.isEmpty());
            box->setCheckState(text.isEmpty() ? Qt::PartiallyChecked
                                              : (text == QLatin1String("1") ? Qt::Checked : Qt::Unchecked));
            checks_[i] = box;
            form->addRow(QString(), box);
        } else {
            auto* e = new QLineEdit(text, this);
            e->setObjectName(QStringLiteral("E_%1").arg(int(i)));
            edits_[i] = e;
            form->addRow(fieldCaption(f) + QLatin1Char(':'), e);
        }
    }
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    columns->addLayout(firstColumn);
    columns->addLayout(secondColumn);
    layout->addLayout(columns);
    if (shown.has(F::Corners)) {
        corners_ = new QTableWidget(static_cast<int>(shown.corners.size()), 2, this);
        corners_->setObjectName(QStringLiteral("SG_Eckpunkte"));
        corners_->setHorizontalHeaderLabels({QStringLiteral("X [mm]"), QStringLiteral("Y [mm]")});
        corners_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        for (int r = 0; r < corners_->rowCount(); ++r) {
            const auto& [x, y] = shown.corners[static_cast<std::size_t>(r)];
            corners_->setItem(r, 0, new QTableWidgetItem(fromText(x)));
            corners_->setItem(r, 1, new QTableWidgetItem(fromText(y)));
        }
        auto* add = new QPushButton(T("Hin&zufügen", "&Add", "A&jouter"), this);
        add->setObjectName(QStringLiteral("B_Hinzufuegen"));
        auto* remove = new QPushButton(T("&Entfernen", "&Remove", "&Supprimer"), this);
        remove->setObjectName(QStringLiteral("B_Entfernen"));
        connect(add, &QPushButton::clicked, this, [this] {
            // A new corner after the current one, where that one is, ready to be typed over.
            const int from = corners_->currentRow() >= 0 ? corners_->currentRow() : corners_->rowCount() - 1;
            const int row = from + 1;
            corners_->insertRow(row);
            for (int c = 0; c < 2; ++c) {
                const QTableWidgetItem* src = from >= 0 ? corners_->item(from, c) : nullptr;
                corners_->setItem(row, c, new QTableWidgetItem(src ? src->text() : QStringLiteral("0.00")));
            }
            corners_->setCurrentCell(row, 0);
        });
        connect(remove, &QPushButton::clicked, this, [this] {
            if (corners_->currentRow() >= 0)
                corners_->removeRow(corners_->currentRow());
        });
        layout->addWidget(new QLabel(fieldCaption(F::Corners) + QLatin1Char(':'), this));
        layout->addWidget(corners_);
        auto* row = new QHBoxLayout;
        row->addWidget(add);
        row->addWidget(remove);
        row->addStretch();
        layout->addLayout(row);
    }
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Properties));
}

PropertySheet TPropertiesDlg::edited() const
{
    PropertySheet s = shown_;
    for (std::size_t i = 0; i < PropertyFieldCount; ++i) {
        if (edits_[i])
            s.text[i] = edits_[i]->text().trimmed().toStdString();
        if (checks_[i] && checks_[i]->checkState() != Qt::PartiallyChecked)
            s.text[i] = checks_[i]->checkState() == Qt::Checked ? "1" : "0";
    }
    if (layer_)
        s.set(F::Layer,
              layer_->currentData().toInt() > 0 ? std::to_string(layer_->currentData().toInt()) : "");
    if (shape_)
        s.set(F::Shape,
              shape_->currentData().toInt() > 0 ? std::to_string(shape_->currentData().toInt()) : "");
    if (corners_) {
        s.corners.clear();
        for (int r = 0; r < corners_->rowCount(); ++r) {
            auto cell = [&](int c) {
                const QTableWidgetItem* item = corners_->item(r, c);
                return item ? item->text().trimmed().toStdString() : std::string();
            };
            s.corners.emplace_back(cell(0), cell(1));
        }
    }
    return s;
}

void TPropertiesDlg::accept()
{
    if (apply_) {
        if (const auto bad = apply_(edited())) {
            ShowMessageBox(this, QMessageBox::Warning, windowTitle(),
                           T("Ungültiger Wert im Feld \"%1\". Es wurde nichts geändert.",
                             "Invalid value in the field \"%1\". Nothing was changed.",
                             "Valeur non valable dans le champ « %1 ». Rien n'a été modifié.")
                               .arg(fieldCaption(*bad)),
                           QMessageBox::Ok);
            if (QLineEdit* e = edit(*bad))
                e->setFocus();
            return;
        }
    }
    QDialog::accept();
}

} // namespace trevok
