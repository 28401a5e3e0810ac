#include "dialogs/vorlagedlg.h"

#include "dialogs/colourpicker.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "document/filenames.h"
#include "document/project.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

constexpr std::size_t MaxTemplateFileBytes = 200;

QSpinBox* spin(QWidget* parent, const QString& name, int min, int max)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    return s;
}

} // namespace

QString TVorlageDlg::loadErrorText(const QString& path, const QString& reason)
{
    QString text =
        T("Vorlagen-Datei ",
          "Error loading scanned-copy-bitmap: ", "Erreur de chargement de l´image de la copie scannée: ") +
        DisplayPath(path) + T(" kann nicht geladen werden.", "", "");
    if (!reason.isEmpty())
        text += QStringLiteral("\n") + reason;
    return text;
}

TVorlageDlg::TVorlageDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("VorlageDlg"));
    setWindowTitle(T("Eigenschaften der Vorlage", "Scanned copy", "Copie scannée"));
    askFile = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, windowTitle(), start,
                                            QStringLiteral("Bitmaps (*.bmp *.BMP)"));
    };
    inform = [this](const QString& text) { QMessageBox::warning(this, QStringLiteral("Trevok"), text); };
    pickColour = [this](const QColor& initial) {
        return ChooseColourRemembered(this, initial, windowTitle());
    };

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    tabs_->addTab(buildPage(0), T("Seite 1", "Board side 1", "Carte face 1"));
    tabs_->addTab(buildPage(1), T("Seite 2", "Board side 2", "Carte face 2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Template, false));
    syncPage(0);
    syncPage(1);
}

QWidget* TVorlageDlg::buildPage(int s)
{
    const QString n = QString::number(s + 1);
    auto* w = new QWidget(this);
    w->setObjectName(QStringLiteral("TabSheet") + n);
    Page& p = pages_[static_cast<std::size_t>(s)];
    p.name = new QLabel(w);
    p.name->setObjectName(QStringLiteral("L_Dateiname") + n);
    auto* load = new QPushButton(T("&Vorlage laden...", "&Load bitmap...", "&Charger bitmap..."), w);
    load->setObjectName(QStringLiteral("B_Laden") + n);
    auto* remove = new QPushButton(T("Vorlage entfernen", "Delete bitmap", "Effacer bitmap"), w);
    remove->setObjectName(QStringLiteral("B_Entfernen") + n);
    p.shown = new QCheckBox(T("Vorlage anzeigen", "&Show bitmap", "&Montrer bitmap"), w);
    p.shown->setObjectName(QStringLiteral("CB_Vorlage") + n);
    p.dpi = spin(w, QStringLiteral("SE_DPI") + n, TemplateDpiMin, TemplateDpiMax);
    p.offsetX = spin(w, QStringLiteral("SE_XOffset") + n, s == 0 ? 0 : -1000, 1000);
    p.offsetY = spin(w, QStringLiteral("SE_YOffset") + n, s == 0 ? 0 : -1000, 1000);
    p.colour = new QPushButton(w);
    p.colour->setObjectName(QStringLiteral("P_Farbe") + n);
    p.colour->setFixedSize(48, 22);

    auto* grid = new QGridLayout(w);
    grid->addWidget(p.name, 0, 0, 1, 3);
    grid->addWidget(load, 1, 0);
    grid->addWidget(remove, 1, 1);
    grid->addWidget(p.shown, 2, 0, 1, 3);
    grid->addWidget(new QLabel(T("Auflösung:", "Resolution:", "Résolution:"), w), 3, 0);
    grid->addWidget(p.dpi, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("[dpi]"), w), 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("X-Offset:"), w), 4, 0);
    grid->addWidget(p.offsetX, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("[1/10 mm]"), w), 4, 2);
    grid->addWidget(new QLabel(QStringLiteral("Y-Offset:"), w), 5, 0);
    grid->addWidget(p.offsetY, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("[1/10 mm]"), w), 5, 2);
    grid->addWidget(new QLabel(T("Farbe:", "Color:", "Couleur:"), w), 6, 0);
    grid->addWidget(p.colour, 6, 1);
    grid->setRowStretch(7, 1);

    connect(load, &QPushButton::clicked, this, [this, s] {
        const QString path = askFile(folder);
        if (!path.isEmpty())
            loadFile(s, path);
    });
    connect(remove, &QPushButton::clicked, this, [this, s] { removeTemplate(s); });
    connect(p.shown, &QCheckBox::toggled, this, [this, s] { readPage(s); });
    for (QSpinBox* box : {p.dpi, p.offsetX, p.offsetY})
        connect(box, &QSpinBox::valueChanged, this, [this, s] { readPage(s); });
    connect(p.colour, &QPushButton::clicked, this, [this, s] {
        TemplateSide& t = sides_[static_cast<std::size_t>(s)];
        if (const auto c = pickColour(ToQColor(t.colour))) {
            t.colour = FromQColor(*c);
            syncPage(s);
            emit changed();
        }
    });
    return w;
}

int TVorlageDlg::page() const
{
    return tabs_->currentIndex();
}

void TVorlageDlg::setPage(int p)
{
    tabs_->setCurrentIndex(p);
}

void TVorlageDlg::syncPage(int s)
{
    const TemplateSide& t = sides_[static_cast<std::size_t>(s)];
    const Page& p = pages_[static_cast<std::size_t>(s)];
    syncing_ = true;
    p.name->setText(DisplayPath(QFileInfo(t.file).fileName()));
    p.shown->setEnabled(!t.file.isEmpty());
    p.shown->setChecked(t.shown);
    p.dpi->setValue(t.dpi);
    p.offsetX->setValue(t.offsetX);
    p.offsetY->setValue(t.offsetY);
    QPixmap swatch(40, 14);
    swatch.fill(ToQColor(t.colour));
    p.colour->setIcon(QIcon(swatch));
    p.colour->setIconSize(swatch.size());
    syncing_ = false;
}

void TVorlageDlg::readPage(int s)
{
    if (syncing_)
        return;
    TemplateSide& t = sides_[static_cast<std::size_t>(s)];
    const Page& p = pages_[static_cast<std::size_t>(s)];
    t.shown = p.shown->isChecked();
    t.dpi = p.dpi->value();
    t.offsetX = p.offsetX->value();
    t.offsetY = p.offsetY->value();
    emit changed();
}

bool TVorlageDlg::readFile(int s, const QString& path, bool reportOnce)
{
    TemplateSide& t = sides_[static_cast<std::size_t>(s)];
    QString reason;
    auto file = LoadTemplateFile(path, &reason);
    if (!file) {
        if (!reportOnce || reported_.insert(path).second)
            inform(loadErrorText(path, reason));
        return false;
    }
    t.image = std::move(file->image);
    t.file = path;
    return true;
}

bool TVorlageDlg::loadFile(int s, const QString& path)
{
    QString reason;
    const auto file = LoadTemplateFile(path, &reason);
    if (!file) {
        inform(loadErrorText(path, reason));
        return false;
    }
    TemplateSide& t = sides_[static_cast<std::size_t>(s)];
    t.image = file->image;
    t.file = path;
    if (file->headerDpi <= 0) {
        t.dpi = TemplateDpiDefault;
        inform(T("Die Datei gibt keine Auflösung an; es werden 600 dpi angenommen.",
                 "The file gives no resolution; 600 dpi are assumed.",
                 "Le fichier n´indique pas de résolution ; 600 dpi sont supposés."));
    } else {
        t.dpi = std::clamp(file->headerDpi, TemplateDpiMin, TemplateDpiMax);
        if (t.dpi != file->headerDpi)
            inform(
                T("Die Datei gibt eine Auflösung von %1 dpi an; möglich sind %2 bis %3 dpi. Es werden %4 dpi "
                  "angenommen.",
                  "The file gives a resolution of %1 dpi; %2 to %3 dpi are possible. %4 dpi are assumed.",
                  "Le fichier indique une résolution de %1 dpi ; de %2 à %3 dpi sont possibles. %4 dpi sont "
                  "supposés.")
                    .arg(file->headerDpi)
                    .arg(TemplateDpiMin)
                    .arg(TemplateDpiMax)
                    .arg(t.dpi));
    }
    t.shown = true;
    folder = QFileInfo(path).absolutePath();
    syncPage(s);
    emit changed();
    return true;
}

void TVorlageDlg::removeTemplate(int s)
{
    TemplateSide& t = sides_[static_cast<std::size_t>(s)];
    t.shown = false;
    t.file.clear();
    t.image = TemplateImage();
    syncPage(s);
    emit changed();
}

void TVorlageDlg::loadFromBoard(const TBoard& board)
{
    for (int s = 0; s < 2; ++s) {
        const auto k = static_cast<std::size_t>(s);
        TemplateSide& t = sides_[k];
        t.image = TemplateImage();
        t.file = TemplatePathFromField(board.TemplateFile[k]);
        if (!t.file.isEmpty())
            readFile(s, t.file, true);
        t.shown = board.TemplateShown[k] != 0;
        t.dpi = std::clamp<int>(board.TemplateDpi[k], TemplateDpiMin, TemplateDpiMax);
        t.offsetX = board.TemplateOffsetX[k];
        t.offsetY = board.TemplateOffsetY[k];
        t.colour = static_cast<ColourRef>(board.TemplateColour[k]) & 0xFFFFFF;
        syncPage(s);
    }
    emit changed();
}

void TVorlageDlg::storeToBoard(TBoard& board) const
{
    for (std::size_t k = 0; k < 2; ++k) {
        const TemplateSide& t = sides_[k];
        std::string name = TemplateFieldFromPath(t.file);
        if (name.size() > MaxTemplateFileBytes)
            name.resize(MaxTemplateFileBytes);
        board.TemplateFile[k] = name;
        board.TemplateShown[k] = t.shown ? 1 : 0;
        board.TemplateDpi[k] = t.dpi;
        board.TemplateOffsetX[k] = t.offsetX;
        board.TemplateOffsetY[k] = t.offsetY;
        board.TemplateColour[k] = static_cast<std::int32_t>(t.colour);
    }
}

} // namespace trevok
