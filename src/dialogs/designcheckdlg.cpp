#include "dialogs/designcheckdlg.h"

#include "dialogs/decimalspinbox.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace trevok
{
namespace
{

QString mmText(double units)
{
    return QString::number(units / 100.0, 'f', 2);
}

} // namespace

TDesignCheckDlg::TDesignCheckDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DesignCheck"));
    setWindowTitle(T("Designprüfung", "Design check", "Vérification de conception"));
    setModal(false);

    auto* rulesBox = new QGroupBox(T("Regeln (mm)", "Rules (mm)", "Règles (mm)"), this);
    auto* form = new QFormLayout(rulesBox);
    const std::array<QString, FieldCount> labels{
        T("Abstand zwischen Netzen:", "Gap between nets:", "Écart entre réseaux :"),
        T("Leiterbreite:", "Track width:", "Largeur de piste :"),
        T("SMD-Pad, kleinste Seite:", "SMD pad, smallest side:", "Pastille CMS, plus petit côté :"),
        T("Restring:", "Annular ring:", "Couronne :"),
        T("Bohrung, kleinste:", "Drill, smallest:", "Perçage, le plus petit :"),
        T("Bohrung, größte:", "Drill, largest:", "Perçage, le plus grand :"),
        T("Kupfer zum Platinenrand:", "Copper to board edge:", "Cuivre au bord de la carte :"),
        T("Fräserbreite (0: nicht prüfen):", "Mill width (0: no check):",
          "Largeur de fraise (0 : pas de contrôle) :"),
    };
    const std::array<const char*, FieldCount> names{"SE_Abstand",  "SE_Breite",     "SE_SMD",
                                                    "SE_Restring", "SE_BohrungMin", "SE_BohrungMax",
                                                    "SE_Rand",     "SE_Fraeser"};
    for (int i = 0; i < FieldCount; ++i) {
        auto* f = new DecimalSpinBox(rulesBox);
        f->setObjectName(QString::fromLatin1(names[static_cast<std::size_t>(i)]));
        f->setDecimals(2);
        f->setSingleStep(0.01);
        f->setRange(0.0, i == Mill ? 4.99 : 50.0);
        form->addRow(labels[static_cast<std::size_t>(i)], f);
        fields_[static_cast<std::size_t>(i)] = f;
    }

    check_ = new QPushButton(T("&Prüfen", "Ch&eck", "&Vérifier"), this);
    check_->setObjectName(QStringLiteral("BT_Pruefen"));
    check_->setDefault(true);
    connect(check_, &QPushButton::clicked, this, &TDesignCheckDlg::checkRequested);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("L_Zusammenfassung"));
    summary_->setWordWrap(true);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("LV_Probleme"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({T("Art", "Kind", "Type"), T("Schwere", "Severity", "Gravité"),
                            T("Layer", "Layer", "Couche"), QStringLiteral("X (mm)"), QStringLiteral("Y (mm)"),
                            T("Wert", "Value", "Valeur"), T("Grenze", "Limit", "Limite"),
                            T("Elemente", "Elements", "Éléments")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        emit problemActivated(item->data(0, Qt::UserRole).toInt());
    });

    resolve_ = new QPushButton(
        T("In &Luftlinien zurückverwandeln", "&Turn back into rubber bands", "Retransformer en &élastiques"),
        this);
    resolve_->setObjectName(QStringLiteral("BT_Luftlinien"));
    resolve_->setEnabled(false);
    connect(resolve_, &QPushButton::clicked, this, &TDesignCheckDlg::resolveRequested);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Close)->setText(T("S&chließen", "&Close", "&Fermer"));
    buttons->addButton(QDialogButtonBox::Help)->setText(T("&Hilfe", "&Help", "&Aide"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { ShowHelpTopic(HelpTopic::DesignCheck); });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [] { ShowHelpTopic(HelpTopic::DesignCheck); });

    auto* top = new QHBoxLayout;
    top->addWidget(rulesBox);
    auto* side = new QVBoxLayout;
    side->addWidget(check_);
    side->addWidget(summary_, 1);
    top->addLayout(side, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(resolve_);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);
    resize(760, 560);
    setRules(DesignRules{});
}

DesignRules TDesignCheckDlg::rules() const
{
    auto units = [this](Field f) { return RoundHalfEven(fields_[f]->value() * 100.0); };
    DesignRules r;
    r.gap = units(Gap);
    r.width = units(Width);
    r.smdSide = units(SmdSide);
    r.ring = units(Ring);
    r.drillMin = units(DrillMin);
    r.drillMax = std::max(units(DrillMax), r.drillMin);
    r.edge = units(Edge);
    r.mill = units(Mill);
    return r;
}

void TDesignCheckDlg::setRules(const DesignRules& r)
{
    const std::array<std::int32_t, FieldCount> v{r.gap,      r.width,    r.smdSide, r.ring,
                                                 r.drillMin, r.drillMax, r.edge,    r.mill};
    for (std::size_t i = 0; i < v.size(); ++i)
        fields_[i]->setValue(v[i] / 100.0);
}

void TDesignCheckDlg::setResult(const DesignCheckResult& result, TPoint origin)
{
    result_ = result;
    const int language = CurrentLanguage();
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < result.problems.size(); ++i) {
        const DesignProblem& p = result.problems[i];
        QStringList elements;
        for (std::size_t e : p.elements)
            elements << QString::number(e);
        auto* item = new QTreeWidgetItem(QStringList{
            QString::fromStdString(ProblemKindName(p.kind, language)),
            p.warning ? T("Warnung", "Warning", "Avertissement") : T("Fehler", "Error", "Erreur"),
            QString::fromStdString(ProblemLayerName(p.layer, language)),
            mmText(std::int64_t{p.at.x} - origin.x), mmText(std::int64_t{origin.y} - p.at.y),
            p.measured ? mmText(p.value) : QString(), p.limit > 0 || p.measured ? mmText(p.limit) : QString(),
            elements.join(QStringLiteral(", "))});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        items << item;
    }
    list_->addTopLevelItems(items);

    QStringList byKind;
    for (std::size_t k = 0; k < kProblemKindCount; ++k) {
        const auto kind = static_cast<ProblemKind>(k);
        if (const std::size_t n = result.count(kind))
            byKind << QStringLiteral("%1: %2")
                          .arg(QString::fromStdString(ProblemKindName(kind, language)))
                          .arg(n);
    }
    QString text = QString::fromStdString(ProblemSummary(result, language));
    if (result.problems.empty())
        text = T("Keine Probleme gefunden.", "No problems found.", "Aucun problème trouvé.");
    else
        text += QStringLiteral("\n") + byKind.join(QStringLiteral("\n"));
    summary_->setText(text);
    resolve_->setEnabled(!brokenRouteTracks().empty());
}

std::vector<std::size_t> TDesignCheckDlg::brokenRouteTracks() const
{
    std::vector<std::size_t> tracks;
    for (const DesignProblem& p : result_.problems)
        if (p.kind == ProblemKind::BrokenRoute && !p.elements.empty())
            tracks.push_back(p.elements.front());
    return tracks;
}

} // namespace trevok
