#include "dialogs/gerberdlg.h"

#include "dialogs/dialogbuttons.h"

#include "dialogs/decimalspinbox.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

constexpr std::array<GerberLayer, 6> kLayers{GerberLayer::K1, GerberLayer::B1,     GerberLayer::K2,
                                             GerberLayer::B2, GerberLayer::LStop1, GerberLayer::LStop2};

bool isMask(GerberLayer l) noexcept
{
    return l == GerberLayer::LStop1 || l == GerberLayer::LStop2;
}

DecimalSpinBox* offsetEdit(const char* name, double value, QWidget* parent)
{
    auto* e = new DecimalSpinBox(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setRange(0.01, 9.99);
    e->setSingleStep(0.01);
    e->setDecimals(2);
    e->setValue(value);
    // Black with yellow digits while it counts, grey with silver digits while it does not.
    e->setStyleSheet(QStringLiteral("QDoubleSpinBox { background: #000000; color: #FFFF00; }"
                                    "QDoubleSpinBox:disabled { background: #808080; color: #C0C0C0; }"));
    return e;
}

} // namespace

TGerberDlg::TGerberDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TGerberDlg"));
    setWindowTitle(T("Gerber-Format exportieren", "Gerber export", "Exportation Gerber"));
    KeepTitleVisible(this);

    // Layers: side 1 in the first row, side 2 in the second, each with its colour panel.
    auto* layerGroup = new QGroupBox(T("Layer", "Export", "Exportation"), this);
    auto* layerGrid = new QGridLayout(layerGroup);
    const char* names[] = {"K1", "B1", "K2", "B2", "LStop1", "LStop2"};
    const QString captions[] = {LayerCaption(1),
                                LayerCaption(2),
                                LayerCaption(3),
                                LayerCaption(4),
                                T("Lötstop K1", "Solder mask C1", "Masque soudure C1"),
                                T("Lötstop K2", "Solder mask C2", "Masque soudure C2")};
    for (std::size_t i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(captions[i], layerGroup);
        b->setObjectName(QString::fromLatin1(names[i]));
        layers_[i] = b;
        const GerberLayer l = kLayers[i];
        connect(b, &QRadioButton::clicked, this, [this, l] { chooseLayer(l); });
        const int row = (i == 2 || i == 3 || i == 5) ? 1 : 0;
        const int col = i == 0 || i == 2 ? 0 : (i == 1 || i == 3 ? 2 : 4);
        layerGrid->addWidget(b, row, col);
        if (i < 4) {
            auto* panel = new QFrame(layerGroup);
            panel->setObjectName(QStringLiteral("P_") + QString::fromLatin1(names[i]));
            panel->setFrameShape(QFrame::Box);
            panel->setFixedSize(14, 14);
            panel->setAutoFillBackground(true);
            panels_[i] = panel;
            layerGrid->addWidget(panel, row, col + 1);
        }
    }

    auto* options = new QGroupBox(T("Optionen", "Options", "Options"), this);
    auto* optionsBox = new QVBoxLayout(options);
    auto check = [this](const char* name, const QString& caption, QWidget* parent) {
        auto* c = new QCheckBox(caption, parent);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    mirror_ = check("Spiegeln", T("Ausgabe &spiegeln", "Mirror", "Miroir"), options);
    outline_ = check("Umriss", T("&Platinenumriss", "Board outline", "Contour carte"), options);
    punch_ = check("BohrungenFrei",
                   T("Boh&rungen freistanzen", "Punch drill holes", "Trous de perçage vides"), options);
    mark_ = check("Koernen", T("als &Körnung", "Mark drill holes", "Marquer trous de perçage"), options);
    auto* markRow = new QHBoxLayout;
    markRow->addSpacing(20);
    markRow->addWidget(mark_);
    // Mirrored output is artwork for exposing a board by hand; files for a board house must not
    // be mirrored, and the fabrication set makes them all at once.
    auto* mirrorNote = new QLabel(T("Spiegeln nur für Belichtungsvorlagen. Ein Leiterplattenhersteller "
                                    "braucht ungespiegelte Dateien: dafür den Fertigungssatz verwenden.",
                                    "Mirror only for photo-exposure artwork. A board house needs unmirrored "
                                    "files: use the Fabrication set.",
                                    "Miroir seulement pour les typons d´insolation. Un fabricant de circuits "
                                    "a besoin de fichiers non inversés : utilisez le Jeu de fabrication."),
                                  options);
    mirrorNote->setObjectName(QStringLiteral("L_Spiegelhinweis"));
    mirrorNote->setWordWrap(true);
    QFont small = mirrorNote->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    mirrorNote->setFont(small);
    auto* noteRow = new QHBoxLayout;
    noteRow->addSpacing(20);
    noteRow->addWidget(mirrorNote);
    optionsBox->addWidget(mirror_);
    optionsBox->addLayout(noteRow);
    optionsBox->addWidget(outline_);
    optionsBox->addWidget(punch_);
    optionsBox->addLayout(markRow);
    connect(punch_, &QCheckBox::toggled, this, [this] { updateEnabling(); });

    auto* mask = new QGroupBox(
        T("Optionen für Lotstopmaske", "Options for solder mask", "Options masque de soudure"), this);
    auto* maskGrid = new QGridLayout(mask);
    offsetLabel_ = new QLabel(QStringLiteral("Offset [mm] :"), mask);
    offsetLabel_->setObjectName(QStringLiteral("L_Offset"));
    pads_ = check("CB_Loetaugen", T("Lötaugen", "&Pads", "&Pastilles"), mask);
    smdPads_ = check("CB_SMDPads", T("SMD-Pads", "SMD-Pads", "Pastilles CMS"), mask);
    invert_ = check("Invertieren", T("&Invertierte Ausgabe", "&Inverting output", "Inverser &sortie"), mask);
    padOffset_ = offsetEdit("SE_LAOffset", 0.30, mask);
    smdOffset_ = offsetEdit("SE_SMDOffset", 0.10, mask);
    maskGrid->addWidget(offsetLabel_, 0, 1);
    maskGrid->addWidget(pads_, 1, 0);
    maskGrid->addWidget(padOffset_, 1, 1);
    maskGrid->addWidget(smdPads_, 2, 0);
    maskGrid->addWidget(smdOffset_, 2, 1);
    maskGrid->addWidget(invert_, 3, 0, 1, 2);

    auto* note = new QLabel(T("Das Layout wird im Extended-Gerber-Format RS-274X exportiert.",
                              "Trevok exports Extended-Gerber-Format RS-274X.",
                              "Trevok exporte le fichier au format Gerber-RS-274X étendu."),
                            this);
    note->setObjectName(QStringLiteral("L_Hinweis"));
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(
        T("&Exportdatei erstellen...", "Create exp&ort file...", "Creer fichier exp&ortation..."),
        QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("B_Export"));
    ok->setDefault(true);
    QPushButton* close =
        buttons->addButton(T("S&chließen", "&Close", "&Fermer"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("B_Schliessen"));
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    help->setText(T("&Hilfe", "&Help", "A&ide"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { ShowHelpTopic(HelpTopic::Gerber); });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [] { ShowHelpTopic(HelpTopic::Gerber); });

    auto* top = new QHBoxLayout;
    auto* right = new QVBoxLayout;
    right->addWidget(options);
    right->addWidget(mask);
    top->addWidget(layerGroup, 0, Qt::AlignTop);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note);
    layout->addWidget(buttons);

    // The first state: K1 with mirroring and outline as the layer table sets them (a mirrored
    // top copper layer would put every hole beside its pad), the mask choices ticked.
    pads_->setChecked(true);
    smdPads_->setChecked(true);
    chooseLayer(GerberLayer::K1);
}

void TGerberDlg::setLayerColours(const ColourScheme& colours)
{
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        QPalette p = panels_[i]->palette();
        p.setColor(QPalette::Window, ToQColor(colours[static_cast<int>(ColourK1) + static_cast<int>(i)]));
        panels_[i]->setPalette(p);
    }
}

GerberLayer TGerberDlg::layer() const
{
    for (std::size_t i = 0; i < layers_.size(); ++i)
        if (layers_[i]->isChecked())
            return kLayers[i];
    return GerberLayer::K1;
}

void TGerberDlg::chooseLayer(GerberLayer l)
{
    for (std::size_t i = 0; i < layers_.size(); ++i)
        if (kLayers[i] == l)
            layers_[i]->setChecked(true);
    mirror_->setChecked(l == GerberLayer::K2 || l == GerberLayer::B2 || l == GerberLayer::LStop2);
    outline_->setChecked(l == GerberLayer::K1 || l == GerberLayer::K2);
    updateEnabling();
}

void TGerberDlg::updateEnabling()
{
    const bool mask = isMask(layer());
    punch_->setEnabled(!mask);
    if (!punch_->isEnabled() || !punch_->isChecked())
        mark_->setChecked(false);
    mark_->setEnabled(punch_->isEnabled() && punch_->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(offsetLabel_), static_cast<QWidget*>(invert_),
                       static_cast<QWidget*>(pads_), static_cast<QWidget*>(smdPads_),
                       static_cast<QWidget*>(padOffset_), static_cast<QWidget*>(smdOffset_)})
        w->setEnabled(mask);
}

GerberOptions TGerberDlg::options(int language) const
{
    GerberOptions o;
    o.layer = layer();
    o.mirror = mirror_->isChecked();
    o.outline = outline_->isChecked();
    o.punchHoles = punch_->isEnabled() && punch_->isChecked();
    o.markHoles = o.punchHoles && mark_->isChecked();
    o.padOffsetMm = padOffset_->value();
    o.smdOffsetMm = smdOffset_->value();
    o.pads = pads_->isChecked();
    o.smdPads = smdPads_->isChecked();
    o.invert = invert_->isChecked();
    o.language = language;
    return o;
}

} // namespace trevok
