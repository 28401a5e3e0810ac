#include "dialogs/printdlg.h"

#include "dialogs/colourpicker.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "dialogs/kacheldlg.h"
#include "dialogs/korrekturdlg.h"
#include "dialogs/printoptionsdlg.h"
#include "dialogs/printpreview.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

struct Check {
    const char* name;
    const char* de;
    const char* en;
    const char* fr;
};

// Layer switches with their colour panels, in panel order.
constexpr Check LayerChecks[4] = {{"CB_K1", "K1", "C1", "C1"},
                                  {"CB_B1", "B1", "S1", "S1"},
                                  {"CB_K2", "K2", "C2", "C2"},
                                  {"CB_B2", "B2", "S2", "S2"}};
constexpr Check SpecialChecks[4] = {{"CB_Loetstop1", "Lötstop 1", "Soldermsk1", "Masquesoudure1"},
                                    {"CB_Loetstop2", "Lötstop 2", "Soldermsk2", "Masquesoudure2"},
                                    {"CB_Bohrplan1", "Bohrplan 1", "Drillings 1", "Perçages 1"},
                                    {"CB_Bohrplan2", "Bohrplan 2", "Drillings 2", "Perçages 2"}};
constexpr const char* PanelNames[8] = {"P_K1",        "P_B1",        "P_K2",        "P_B2",
                                       "P_Loetstop1", "P_Loetstop2", "P_Bohrplan1", "P_Bohrplan2"};
constexpr Check OptionChecks[5] = {{"Spiegeln", "&Spiegeln", "Mirror", "Miroir"},
                                   {"Passkreuze", "&Passkreuze", "Targets", "Repères"},
                                   {"Rahmen", "&Platinenumriss", "Board outline", "Contour carte"},
                                   {"CB_Vorlage", "Vorlage", "Scanned copy", "Copie scannée"},
                                   {"CB_Negativ", "Negativ", "Invert", "Inversion"}};

QCheckBox* makeCheck(QWidget* parent, const Check& c)
{
    auto* box = new QCheckBox(T(c.de, c.en, c.fr), parent);
    box->setObjectName(QString::fromLatin1(c.name));
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

PaperArea PrinterPaper(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    PaperArea a;
    a.paper = layout.fullRect(QPageLayout::Millimeter).size();
    a.printable =
        printer.fullPage() ? QRectF(QPointF(0, 0), a.paper) : layout.paintRect(QPageLayout::Millimeter);
    return a;
}

QString TPrint_Dlg::pdfCaption()
{
    return T("Drucken in eine PDF-Datei (kein Drucker gefunden)", "Print to a PDF file (no printer found)",
             "Imprimer dans un fichier PDF (aucune imprimante trouvée)");
}

TPrint_Dlg::TPrint_Dlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Print_Dlg"));
    setWindowTitle(pdfCaption());
    pickColour = [this](const QColor& initial) {
        return ChooseColourRemembered(this, initial, windowTitle());
    };
    runDialog = [](QDialog& d) { return d.exec() == QDialog::Accepted; };
    inform = [this](const QString& text) { QMessageBox::information(this, QStringLiteral("Trevok"), text); };
    pageSetup = [this](QPrinter& p) { return QPageSetupDialog(&p, this).exec() == QDialog::Accepted; };
    build();
    KeepTitleVisible(this);
}

void TPrint_Dlg::build()
{
    preview_ = new PrintPreview(this);

    auto* layers = new QGroupBox(T("Layer", "Layer", "Couches"), this);
    layers->setObjectName(QStringLiteral("GroupBox1"));
    auto* layerGrid = new QGridLayout(layers);
    for (int i = 0; i < 4; ++i) {
        QCheckBox* c = makeCheck(layers, LayerChecks[i]);
        c->setChecked(set_.layers[static_cast<std::size_t>(i)]);
        layerGrid->addWidget(c, i, 0);
        connect(c, &QCheckBox::clicked, this, &TPrint_Dlg::readControls);
    }

    auto* special = new QGroupBox(T("Sonderlayer", "Special layer", "Couche spéciale"), this);
    special->setObjectName(QStringLiteral("GroupBox4"));
    auto* specialGrid = new QGridLayout(special);
    for (int i = 0; i < 4; ++i) {
        QCheckBox* c = makeCheck(special, SpecialChecks[i]);
        specialGrid->addWidget(c, i, 0);
        connect(c, &QCheckBox::clicked, this, &TPrint_Dlg::readControls);
    }
    QPushButton* options =
        makeButton(special, "B_Options", T("Einstellungen...", "Options...", "Options..."));
    specialGrid->addWidget(options, 4, 0, 1, 2);
    connect(options, &QPushButton::clicked, this, &TPrint_Dlg::editOptions);

    for (int p = 0; p < 8; ++p) {
        auto* panel = makeButton(p < 4 ? static_cast<QWidget*>(layers) : special, PanelNames[p], QString());
        panel->setFixedSize(36, 20);
        (p < 4 ? layerGrid : specialGrid)->addWidget(panel, p % 4, 1);
        connect(panel, &QPushButton::clicked, this, [this, p] { chooseColour(p); });
        panels_[static_cast<std::size_t>(p)] = panel;
    }

    auto* opts = new QGroupBox(T("Optionen", "Options", "Options"), this);
    opts->setObjectName(QStringLiteral("GroupBox2"));
    auto* optsBox = new QVBoxLayout(opts);
    for (const Check& c : OptionChecks) {
        QCheckBox* box = makeCheck(opts, c);
        optsBox->addWidget(box);
        connect(box, &QCheckBox::clicked, this, &TPrint_Dlg::readControls);
    }
    control<QCheckBox>("Rahmen")->setChecked(set_.outline);

    auto* scale = new QGroupBox(T("Skalierung", "Scaling", "Mise à l´échelle"), this);
    scale->setObjectName(QStringLiteral("GroupBox3"));
    oneToOne_ = new QRadioButton(QStringLiteral("1:1"), scale);
    oneToOne_->setObjectName(QStringLiteral("S_1zu1"));
    oneToOne_->setChecked(true);
    free_ = new QRadioButton(T("&frei", "Scale:", "Echelle:"), scale);
    free_->setObjectName(QStringLiteral("S_Frei"));
    scale_ = new QScrollBar(Qt::Horizontal, scale);
    scale_->setObjectName(QStringLiteral("S_Wert"));
    scale_->setRange(1, 100);
    scale_->setValue(10);
    scaleLabel_ = new QLabel(scale);
    scaleLabel_->setObjectName(QStringLiteral("L_Scale"));
    auto* scaleGrid = new QGridLayout(scale);
    scaleGrid->addWidget(oneToOne_, 0, 0);
    scaleGrid->addWidget(free_, 1, 0);
    scaleGrid->addWidget(scaleLabel_, 1, 1);
    scaleGrid->addWidget(scale_, 2, 0, 1, 2);
    connect(oneToOne_, &QRadioButton::clicked, this, &TPrint_Dlg::updateScale);
    connect(free_, &QRadioButton::clicked, this, &TPrint_Dlg::updateScale);
    connect(scale_, &QScrollBar::valueChanged, this, &TPrint_Dlg::updateScale);

    QPushButton* setup = makeButton(this, "SetupBtn", T("&Setup...", "&Setup...", "C&onfiguration..."));
    QPushButton* calibrate =
        makeButton(this, "KorrekturBtn", T("&Korrektur...", "&Calibrate...", "&Calibration..."));
    QPushButton* tiles = makeButton(this, "KachelBtn", T("K&acheln...", "&Tile...", "&Dalles..."));
    QPushButton* centreBtn = makeButton(this, "B_Zentrieren", T("&Zentrieren", "Centre", "Centre"));
    QPushButton* clip = makeButton(this, "B_Clipboard", T("Zwischenablage", "Clipboard", "Presse-papiers"));
    QPushButton* ok = makeButton(this, "OKBtn", T("&Drucken", "&Print", "&Impression"));
    ok->setDefault(true);
    QPushButton* cancel = makeButton(this, "CancelBtn", T("&Abbrechen", "&Cancel", "&Annuler"));
    QPushButton* help = makeButton(this, "HelpBtn", QStringLiteral("?"));
    connect(setup, &QPushButton::clicked, this, &TPrint_Dlg::printerSetup);
    connect(calibrate, &QPushButton::clicked, this, &TPrint_Dlg::editCalibration);
    connect(tiles, &QPushButton::clicked, this, &TPrint_Dlg::editTiles);
    connect(centreBtn, &QPushButton::clicked, this, &TPrint_Dlg::centre);
    connect(clip, &QPushButton::clicked, this, &TPrint_Dlg::copyToClipboard);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(HelpTopic::Print); });
    AddHelpKey(this, HelpTopic::Print);

    // Two columns, so that the dialog with its buttons fits a screen 768 pixels high.
    auto* groups = new QGridLayout;
    groups->addWidget(layers, 0, 0);
    groups->addWidget(special, 0, 1);
    groups->addWidget(opts, 1, 0);
    groups->addWidget(scale, 1, 1);
    int n = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{setup, calibrate, tiles, centreBtn, clip}) {
        groups->addWidget(w, 2 + n / 2, n % 2);
        ++n;
    }
    auto* side = new QVBoxLayout;
    side->addLayout(groups);
    side->addStretch();
    auto* okRow = new QHBoxLayout;
    okRow->addWidget(ok);
    okRow->addWidget(cancel);
    okRow->addWidget(help);
    side->addLayout(okRow);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(side);
    updatePanels();
    updateScale();
}

void TPrint_Dlg::prepare(TBoard* b, std::array<PrintTemplate, 2> t, QPrinter* p, bool printerUsable)
{
    board_ = b;
    templates_ = t;
    printer_ = p;
    usable_ = p && printerUsable;
    setWindowTitle(usable_ ? p->printerName() : pdfCaption());
    preview_->setSheet(board_, &set_, templates_);
    updatePaper();
}

void TPrint_Dlg::updatePaper()
{
    if (printer_) {
        const PaperArea a = PrinterPaper(*printer_);
        preview_->setPaper(a.paper, a.printable);
    }
}

ColourRef& TPrint_Dlg::panelColour(int panel)
{
    if (panel < 4)
        return set_.layerColours[static_cast<std::size_t>(panel)];
    if (panel < 6)
        return set_.maskColours[static_cast<std::size_t>(panel - 4)];
    return set_.drillColours[static_cast<std::size_t>(panel - 6)];
}

void TPrint_Dlg::updatePanels()
{
    for (int p = 0; p < 8; ++p) {
        QPixmap swatch(28, 12);
        swatch.fill(ToQColor(panelColour(p)));
        panels_[static_cast<std::size_t>(p)]->setIcon(QIcon(swatch));
        panels_[static_cast<std::size_t>(p)]->setIconSize(swatch.size());
    }
}

void TPrint_Dlg::readControls()
{
    for (int i = 0; i < 4; ++i)
        set_.layers[static_cast<std::size_t>(i)] = control<QCheckBox>(LayerChecks[i].name)->isChecked();
    set_.mask = {control<QCheckBox>("CB_Loetstop1")->isChecked(),
                 control<QCheckBox>("CB_Loetstop2")->isChecked()};
    set_.drillPlan = {control<QCheckBox>("CB_Bohrplan1")->isChecked(),
                      control<QCheckBox>("CB_Bohrplan2")->isChecked()};
    set_.mirror = control<QCheckBox>("Spiegeln")->isChecked();
    set_.targets = control<QCheckBox>("Passkreuze")->isChecked();
    set_.outline = control<QCheckBox>("Rahmen")->isChecked();
    set_.templates = control<QCheckBox>("CB_Vorlage")->isChecked();
    set_.negative = control<QCheckBox>("CB_Negativ")->isChecked();
    preview_->invalidateSheet();
}

void TPrint_Dlg::updateScale()
{
    const int position = scale_->value();
    scaleLabel_->setText(QString::number(position * 10) + QStringLiteral(" %"));
    set_.setDivisor(free_->isChecked() ? FreeScaleDivisor(position) : 1.0);
    preview_->invalidateSheet();
}

void TPrint_Dlg::chooseColour(int panel)
{
    ColourRef& c = panelColour(panel);
    if (const auto chosen = pickColour(ToQColor(c))) {
        c = FromQColor(*chosen);
        updatePanels();
        preview_->invalidateSheet();
    }
}

void TPrint_Dlg::centre()
{
    if (!board_)
        return;
    const TPoint o = CentredOffsets(*board_, set_, preview_->printableMm().size());
    set_.offsetX = o.x;
    set_.offsetY = o.y;
    preview_->update();
}

void TPrint_Dlg::copyToClipboard()
{
    if (!board_)
        return;
    QGuiApplication::clipboard()->setImage(PrintSheetBitmap(*board_, set_, templates_));
    inform(T("Die Bitmap der Druckvorschau wurde in die Zwischenablage kopiert.",
             "The bitmap of the preview has been copied to the clipboard.",
             "L´image bitmap de la vue préliminaire a été copiée dans le presse-papiers."));
}

void TPrint_Dlg::editTiles()
{
    TKachel_Dlg d(set_.tilesX, set_.tilesY, set_.gap, this);
    if (!runDialog(d))
        return;
    set_.tilesX = d.tilesX();
    set_.tilesY = d.tilesY();
    set_.gap = d.gap();
    preview_->invalidateSheet();
}

void TPrint_Dlg::editCalibration()
{
    TKorrekturDlg d(set_.calibrationX, set_.calibrationY, this);
    d.inform = inform;
    if (!runDialog(d))
        return;
    set_.calibrationX = d.kx();
    set_.calibrationY = d.ky();
}

void TPrint_Dlg::editOptions()
{
    TPrintOptionsDlg d(set_, this);
    if (!runDialog(d))
        return;
    d.store(set_);
    preview_->invalidateSheet();
}

void TPrint_Dlg::printerSetup()
{
    if (!printer_ || !pageSetup(*printer_))
        return;
    setWindowTitle(usable_ ? printer_->printerName() : pdfCaption());
    updatePaper();
}

} // namespace trevok
