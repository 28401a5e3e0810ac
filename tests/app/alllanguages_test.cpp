// Every window of the program opened in English and in French: no control may show a German
// design text that has a translation in that language, and no text may carry a German-only
// letter. The German texts with translations are learnt from the main window's table and from
// every text the windows choose while they are built.
#include "dialogs/help.h"
#include "app/macropanel.h"
#include "app/maintexts.h"
#include "app/mainwindow.h"
#include "dialogs/autosavedlg.h"
#include "dialogs/bogendlg.h"
#include "dialogs/colordlg.h"
#include "dialogs/designcheckdlg.h"
#include "dialogs/exportdlg.h"
#include "dialogs/kacheldlg.h"
#include "dialogs/korrekturdlg.h"
#include "dialogs/layerinfo.h"
#include "dialogs/lgroesse.h"
#include "dialogs/linientextdlg.h"
#include "dialogs/printdlg.h"
#include "dialogs/printoptionsdlg.h"
#include "dialogs/projektinfodlg.h"
#include "dialogs/propertiesdlg.h"
#include "dialogs/rasterdlg.h"
#include "dialogs/realansichtdlg.h"
#include "dialogs/txtdlg.h"
#include "dialogs/undodlg.h"
#include "dialogs/verzeichnisdlg.h"
#include "dialogs/vieleckdlg.h"
#include "dialogs/vorlagedlg.h"
#include "view/texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>

using namespace trevok;

namespace
{

/// German texts with a different English (index 1) or French (index 2) version, and every
/// version used in that language (a German text that is also a proper translation elsewhere is
/// no fault).
std::array<std::set<QString>, 3> germanWithTranslation;
std::array<std::set<QString>, 3> translations;

QString plain(QString s)
{
    s.remove(QLatin1Char('&'));
    return s.trimmed();
}

void learn(const char* de, const char* en, const char* fr)
{
    if (!de)
        return;
    // Hints are "short|long": each part is translated on its own.
    const QStringList german = QString::fromUtf8(de).split(QLatin1Char('|'));
    const char* versions[3] = {de, en, fr};
    for (int l = 1; l <= 2; ++l) {
        if (!versions[l])
            continue;
        const QStringList parts = QString::fromUtf8(versions[l]).split(QLatin1Char('|'));
        for (int i = 0; i < parts.size(); ++i) {
            translations[static_cast<std::size_t>(l)].insert(plain(parts[i]));
            if (i < german.size() && plain(german[i]) != plain(parts[i]))
                germanWithTranslation[static_cast<std::size_t>(l)].insert(plain(german[i]));
        }
    }
}

/// Every text a window shows: titles, captions, menu items, hints, tabs and list entries.
std::multimap<QString, QString> textsOf(QWidget* root)
{
    std::multimap<QString, QString> out; // text -> where
    auto add = [&](const QString& text, const QObject* where) {
        if (!text.isEmpty())
            for (const QString& part : text.split(QLatin1Char('|')))
                out.emplace(plain(part), root->objectName() + QLatin1Char('/') + where->objectName());
    };
    add(root->windowTitle(), root);
    for (QAction* a : root->findChildren<QAction*>()) {
        add(a->text(), a);
        add(a->toolTip(), a);
        add(a->statusTip(), a);
    }
    for (QWidget* w : root->findChildren<QWidget*>()) {
        add(w->toolTip(), w);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            add(b->text(), w);
        else if (auto* l = qobject_cast<QLabel*>(w))
            add(l->text(), w);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            add(g->title(), w);
        else if (auto* m = qobject_cast<QMenu*>(w))
            add(m->title(), w);
        else if (auto* t = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < t->count(); ++i)
                add(t->tabText(i), w);
        else if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                add(c->itemText(i), w);
        if (w->isWindow())
            add(w->windowTitle(), w);
    }
    return out;
}

using Factory = std::function<std::unique_ptr<QWidget>()>;

std::vector<std::pair<const char*, Factory>> allWindows(const QString& settingsPath)
{
    static PrintSettings print;
    return {
        {"main window", [=] { return std::make_unique<MainWindow>(settingsPath); }},
        {"macro panel", [] { return std::make_unique<MacroPanel>(); }},
        {"help", [] { return std::make_unique<HelpWindow>(); }},
        {"autosave", [] { return std::make_unique<TAutoSaveDlg>(); }},
        {"arc", [] { return std::make_unique<TBogenDlg>(); }},
        {"colours", [] { return std::make_unique<TColor_Dlg>(); }},
        {"design check", [] { return std::make_unique<TDesignCheckDlg>(); }},
        {"tiles", [] { return std::make_unique<TKachel_Dlg>(1, 1, 0); }},
        {"calibration", [] { return std::make_unique<TKorrekturDlg>(1.0, 1.0); }},
        {"layer info", [] { return std::make_unique<TLayerInfo>(std::array<QColor, 4>{}); }},
        {"board size", [] { return std::make_unique<TL_Groesse>(); }},
        {"layout text", [] { return std::make_unique<TLinienText_Dlg>(); }},
        {"print", [] { return std::make_unique<TPrint_Dlg>(); }},
        {"print options", [] { return std::make_unique<TPrintOptionsDlg>(print); }},
        {"project info", [] { return std::make_unique<TProjektInfoDlg>(); }},
        {"properties",
         [] {
             PropertySheet every; // every field of every kind, as no selection has them
             every.present.fill(true);
             every.layers = {LayerK1, LayerB1, LayerK2, LayerB2};
             every.corners = {{"0.00", "0.00"}, {"1.00", "0.00"}};
             every.elementCount = 1;
             return std::make_unique<TPropertiesDlg>(every, nullptr);
         }},
        {"grid", [] { return std::make_unique<TRasterDlg>(); }},
        {"photo view", [] { return std::make_unique<TRealAnsichtDlg>(); }},
        {"font text", [] { return std::make_unique<TTXT_Dlg>(); }},
        {"undo depth", [] { return std::make_unique<TUndoDlg>(); }},
        {"folders", [] { return std::make_unique<TVerzeichnisDlg>(); }},
        {"polygon", [] { return std::make_unique<TVielEckDlg>(); }},
        {"template", [] { return std::make_unique<TVorlageDlg>(); }},
    };
}

/// The accelerator letter of a text ("Save &as" -> 'A'), or a null character; "&&" is a
/// literal "&".
QChar accelerator(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toUpper();
        ++i;
    }
    return {};
}

/// Groups of texts that one Alt key chooses among: each menu's entries, the menu bar's menus,
/// and the controls of a dialog (not of the dialogs it owns).
std::vector<std::pair<QString, QStringList>> acceleratorGroups(QWidget* root)
{
    std::vector<std::pair<QString, QStringList>> groups;
    auto actionTexts = [](const QList<QAction*>& actions) {
        QStringList texts;
        for (QAction* a : actions)
            if (!a->isSeparator() && a->isVisible())
                texts << a->text();
        return texts;
    };
    for (QMenuBar* bar : root->findChildren<QMenuBar*>())
        groups.emplace_back(QStringLiteral("menu bar"), actionTexts(bar->actions()));
    for (QMenu* menu : root->findChildren<QMenu*>())
        groups.emplace_back(menu->objectName() + QLatin1Char(' ') + menu->title(), actionTexts(menu->actions()));
    if (qobject_cast<QDialog*>(root)) {
        QStringList texts;
        for (QWidget* w : root->findChildren<QWidget*>()) {
            if (w->window() != root)
                continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                texts << b->text();
            else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
                texts << l->text();
            else if (auto* g = qobject_cast<QGroupBox*>(w); g && g->isCheckable())
                texts << g->title();
            else if (auto* t = qobject_cast<QTabBar*>(w))
                for (int i = 0; i < t->count(); ++i)
                    texts << t->tabText(i);
        }
        groups.emplace_back(root->windowTitle(), texts);
    }
    return groups;
}

} // namespace

TEST(AllWindows, NoTwoEntriesOfAMenuOrDialogShareAnAcceleratorInAnyLanguage)
{
    const std::set<std::pair<QString, QString>> kept = {{"&Passkreuze", "&Platinenumriss"},
                                                        {"&Spiegeln", "&Setup..."},
                                                        {"K&acheln...", "&Abbrechen"},
                                                        {"&Calibrate...", "&Cancel"}};
    const int saved = CurrentLanguage();
    QTemporaryDir dir;
    qputenv("TREVOK_HOME", dir.path().toLocal8Bit());
    for (const int language : {0, 1, 2}) {
        SetCurrentLanguage(language);
        for (auto& [name, make] : allWindows(dir.filePath(QStringLiteral("TREVOK40.INI")))) {
            std::unique_ptr<QWidget> window = make();
            for (const auto& [group, texts] : acceleratorGroups(window.get())) {
                std::map<QChar, QString> taken;
                for (const QString& text : texts) {
                    const QChar key = accelerator(text);
                    if (key.isNull())
                        continue;
                    const auto [at, fresh] = taken.emplace(key, text);
                    // The same command for each side shares its letter (Alt cycles through them);
                    // a few print dialog texts must stay as they are.
                    if (!fresh && (at->second == text || kept.count({at->second, text}) ||
                                   kept.count({text, at->second})))
                        continue;
                    EXPECT_TRUE(fresh) << name << ", language " << language << ", " << group.toStdString()
                                       << ": \"" << at->second.toStdString() << "\" and \""
                                       << text.toStdString() << "\"";
                }
            }
            if (auto* w = dynamic_cast<MainWindow*>(window.get()))
                w->project().Modified = false;
        }
    }
    SetCurrentLanguage(saved);
    qunsetenv("TREVOK_HOME");
}

TEST(AllWindows, EveryDialogFitsA1024By768ScreenAndShowsItsWholeTitle)
{
    const int saved = CurrentLanguage();
    QTemporaryDir dir;
    qputenv("TREVOK_HOME", dir.path().toLocal8Bit());
    for (const int language : {0, 1, 2}) {
        SetCurrentLanguage(language);
        auto windows = allWindows(dir.filePath(QStringLiteral("TREVOK40.INI")));
        for (const auto kind : {TExportDlg::Kind::Bitmap, TExportDlg::Kind::Gif, TExportDlg::Kind::Png})
            windows.emplace_back("image export",
                                 [kind] { return std::make_unique<TExportDlg>(10000, 8000, kind); });
        for (auto& [name, make] : windows) {
            std::unique_ptr<QWidget> window = make();
            auto* dialog = qobject_cast<QDialog*>(window.get());
            if (!dialog)
                continue;
            SCOPED_TRACE(testing::Message() << name << ", language " << language);
            const QSize size = dialog->sizeHint().expandedTo(dialog->minimumSize());
            // Room for the title bar above and a panel of the desktop below.
            EXPECT_LE(size.height(), 768 - 60);
            EXPECT_LE(size.width(), 1024);
            EXPECT_GE(size.width(), dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()) + 60)
                << dialog->windowTitle().toStdString();
        }
    }
    SetCurrentLanguage(saved);
    qunsetenv("TREVOK_HOME");
}

TEST(AllWindows, EnglishAndFrenchShowNoGermanDesignText)
{
    const int saved = CurrentLanguage();
    QTemporaryDir dir;
    qputenv("TREVOK_HOME", dir.path().toLocal8Bit());
    for (const MainTextRow& row : MainTextTable())
        learn(row.de, row.en, row.fr);
    SetTextObserver(&learn);

    for (const int language : {1, 2}) {
        SetCurrentLanguage(language);
        // Build everything once so that every text of the run is learnt, then look.
        std::vector<std::pair<const char*, std::unique_ptr<QWidget>>> windows;
        for (auto& [name, make] : allWindows(dir.filePath(QStringLiteral("TREVOK40.INI"))))
            windows.emplace_back(name, make());
        for (auto& [name, window] : windows) {
            SCOPED_TRACE(testing::Message() << name << (language == 1 ? " in English" : " in French"));
            const auto texts = textsOf(window.get());
            EXPECT_GT(texts.size(), 1u) << "the window shows texts";
            for (const auto& [text, where] : texts) {
                const bool german = germanWithTranslation[static_cast<std::size_t>(language)].count(text) &&
                                    !translations[static_cast<std::size_t>(language)].count(text);
                EXPECT_FALSE(german) << where.toStdString() << ": \"" << text.toStdString() << "\"";
                static const QString germanLetters = QStringLiteral("äöüßÄÖÜ");
                for (const QChar c : text)
                    EXPECT_FALSE(germanLetters.contains(c))
                        << where.toStdString() << ": \"" << text.toStdString() << "\"";
            }
        }
        for (auto& [name, window] : windows)
            if (auto* w = dynamic_cast<MainWindow*>(window.get()))
                w->project().Modified = false;
    }
    SetTextObserver(nullptr);
    SetCurrentLanguage(saved);
    qunsetenv("TREVOK_HOME");
}
