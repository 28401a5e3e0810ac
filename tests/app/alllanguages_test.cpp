// Every window of the program opened in German, English and French: no control may show a text
// of another language where the tables have one for the window's language, no text may carry a
// German-only letter outside German, nothing may be cut off, every dialog fits a small screen,
// no two controls share an accelerator, and each window with a help page opens it (F1, or its
// Help button). The texts of each language are learnt from the main window's table and from every
// text the windows choose while they are built.
#include "app/macropanel.h"
#include "app/maintexts.h"
#include "app/mainwindow.h"
#include "dialogs/autorouter.h"
#include "dialogs/autosavedlg.h"
#include "dialogs/bogendlg.h"
#include "dialogs/colordlg.h"
#include "dialogs/designcheckdlg.h"
#include "dialogs/exportdlg.h"
#include "dialogs/fabdlg.h"
#include "dialogs/gcodedlg.h"
#include "dialogs/gerberdlg.h"
#include "dialogs/help.h"
#include "dialogs/kacheldlg.h"
#include "dialogs/konturfraesendlg.h"
#include "dialogs/korrekturdlg.h"
#include "dialogs/layerinfo.h"
#include "dialogs/lgroesse.h"
#include "dialogs/linientextdlg.h"
#include "dialogs/lochdlg.h"
#include "dialogs/printdlg.h"
#include "dialogs/printoptionsdlg.h"
#include "dialogs/printpreview.h"
#include "dialogs/projektinfodlg.h"
#include "dialogs/propertiesdlg.h"
#include "dialogs/rasterdlg.h"
#include "dialogs/realansichtdlg.h"
#include "dialogs/txtdlg.h"
#include "dialogs/umrissdlg.h"
#include "dialogs/umrissprogress.h"
#include "dialogs/undodlg.h"
#include "dialogs/verzeichnisdlg.h"
#include "dialogs/vieleckdlg.h"
#include "dialogs/vorlagedlg.h"
#include "languageguard.h"
#include "view/texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>

// Texts in failure messages as text, not bytes.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace trevok;

namespace
{

/// For each language, the texts of the other languages that differ from its own version of the
/// same text (a control showing one of them was left in another language), and every version in
/// that language (a text that is also a proper version elsewhere is no fault).
std::array<std::set<QString>, 3> foreignTexts;
std::array<std::set<QString>, 3> ownTexts;

QString plain(QString s)
{
    s.remove(QLatin1Char('&'));
    return s.trimmed();
}

void learn(const char* de, const char* en, const char* fr)
{
    if (!de)
        return;
    // Hints are "short|long": each part is translated on its own. A version given as nullptr
    // keeps the German text.
    std::array<QStringList, 3> parts;
    const char* versions[3] = {de, en, fr};
    for (std::size_t l = 0; l < 3; ++l)
        parts[l] = QString::fromUtf8(versions[l] ? versions[l] : de).split(QLatin1Char('|'));
    for (std::size_t l = 0; l < 3; ++l) {
        for (const QString& part : parts[l])
            ownTexts[l].insert(plain(part));
        for (std::size_t k = 0; k < 3; ++k)
            for (qsizetype i = 0; k != l && i < parts[k].size(); ++i)
                if (i >= parts[l].size() || plain(parts[k][i]) != plain(parts[l][i]))
                    foreignTexts[l].insert(plain(parts[k][i]));
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
        // Without a tool tip of its own an action shows its text without "&" and "...".
        QString implicit = plain(a->text());
        if (implicit.endsWith(QLatin1String("...")))
            implicit.chop(3);
        if (plain(a->toolTip()) != implicit)
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

/// How a window opens its help page.
enum class Help {
    None,        // no page of its own
    F1,          // F1 only
    Button,      // a Help button only
    F1AndButton, // both
};

struct WindowRow {
    const char* name;
    Factory make;
    int topic = 0; // HelpTopic; 0 with Help::None
    Help help = Help::None;
    bool ownTexts = true; // false: shows no words (the print preview draws only ruler numbers)
};

std::vector<WindowRow> allWindows(const QString& settingsPath)
{
    static PrintSettings print;
    static RouterSettings router;
    static TBoard previewBoard;
    using enum Help;
    std::vector<WindowRow> rows = {
        // F1 on the board chooses layer K1; help is in the menu.
        {"main window", [=] { return std::make_unique<MainWindow>(settingsPath); }},
        {"macro panel", [] { return std::make_unique<MacroPanel>(); }},
        {"help", [] { return std::make_unique<HelpWindow>(); }},
        {"autosave", [] { return std::make_unique<TAutoSaveDlg>(); }, HelpTopic::AutoSave, F1AndButton},
        {"arc", [] { return std::make_unique<TBogenDlg>(); }, HelpTopic::Arc, F1AndButton},
        {"colours", [] { return std::make_unique<TColor_Dlg>(); }, HelpTopic::Colours, F1AndButton},
        {"design check", [] { return std::make_unique<TDesignCheckDlg>(); }, HelpTopic::DesignCheck,
         F1AndButton},
        {"tiles", [] { return std::make_unique<TKachel_Dlg>(1, 1, 0); }},
        {"calibration", [] { return std::make_unique<TKorrekturDlg>(1.0, 1.0); }},
        {"layer info", [] { return std::make_unique<TLayerInfo>(std::array<QColor, 4>{}); },
         HelpTopic::LayerInfo, F1AndButton},
        {"board size", [] { return std::make_unique<TL_Groesse>(); }, HelpTopic::BoardSize, F1AndButton},
        {"layout text", [] { return std::make_unique<TLinienText_Dlg>(); }, HelpTopic::LayoutText,
         F1AndButton},
        {"print", [] { return std::make_unique<TPrint_Dlg>(); }, HelpTopic::Print, F1AndButton},
        {"print preview",
         [] {
             auto preview = std::make_unique<PrintPreview>();
             preview->setSheet(&previewBoard, &print, {});
             return preview;
         },
         0, None, false},
        {"print options", [] { return std::make_unique<TPrintOptionsDlg>(print); }},
        {"project info", [] { return std::make_unique<TProjektInfoDlg>(); }, HelpTopic::ProjectInfo,
         F1AndButton},
        {"properties",
         [] {
             PropertySheet every; // every field of every kind, as no selection has them
             every.present.fill(true);
             every.layers = {LayerK1, LayerB1, LayerK2, LayerB2};
             every.corners = {{"0.00", "0.00"}, {"1.00", "0.00"}};
             every.elementCount = 1;
             return std::make_unique<TPropertiesDlg>(every, nullptr);
         },
         HelpTopic::Properties, F1AndButton},
        {"grid", [] { return std::make_unique<TRasterDlg>(); }, HelpTopic::Grid, F1AndButton},
        {"photo view", [] { return std::make_unique<TRealAnsichtDlg>(); }, HelpTopic::PhotoView, F1},
        {"font text", [] { return std::make_unique<TTXT_Dlg>(); }, HelpTopic::LayoutText, F1AndButton},
        {"undo depth", [] { return std::make_unique<TUndoDlg>(); }},
        {"folders", [] { return std::make_unique<TVerzeichnisDlg>(); }, HelpTopic::Directories, F1AndButton},
        {"polygon", [] { return std::make_unique<TVielEckDlg>(); }, HelpTopic::Polygon, F1AndButton},
        {"template", [] { return std::make_unique<TVorlageDlg>(); }, HelpTopic::Template, F1AndButton},
        {"Gerber", [] { return std::make_unique<TGerberDlg>(); }, HelpTopic::Gerber, F1AndButton},
        {"drill", [] { return std::make_unique<TLochDlg>(); }, HelpTopic::Drill, F1AndButton},
        {"fabrication set", [] { return std::make_unique<TFabDlg>(); }, HelpTopic::FabricationSet,
         F1AndButton},
        {"G-code", [] { return std::make_unique<TGcodeDlg>(); }, HelpTopic::Gcode, F1AndButton},
        {"contours", [] { return std::make_unique<TUmrissDlg>(); }, HelpTopic::Milling, F1AndButton},
        {"board contour", [] { return std::make_unique<TKonturFraesenDlg>(); }, HelpTopic::Milling,
         F1AndButton},
        {"contour progress", [] { return std::make_unique<TUmrissProgress>(); }},
        {"router", [] { return std::make_unique<TAutoRouter>(router); }, HelpTopic::Router, F1},
    };
    for (const auto& [kind, topic] : {std::pair{TExportDlg::Kind::Bitmap, HelpTopic::BitmapExport},
                                      std::pair{TExportDlg::Kind::Gif, HelpTopic::GifExport},
                                      std::pair{TExportDlg::Kind::Png, HelpTopic::GifExport}})
        rows.push_back({"image export", [kind] { return std::make_unique<TExportDlg>(10000, 8000, kind); },
                        topic, F1AndButton});
    return rows;
}

/// Every language with the program's settings in a fresh home folder.
struct AllWindows : testing::Test {
    void SetUp() override { qputenv("TREVOK_HOME", home.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("TREVOK_HOME"); }
    std::vector<WindowRow> windows() const
    {
        return allWindows(home.filePath(QStringLiteral("TREVOK40.INI")));
    }
    /// Closes a main window without the question for unsaved changes.
    static void discard(QWidget* window)
    {
        if (auto* w = dynamic_cast<MainWindow*>(window))
            w->project().Modified = false;
    }
    QTemporaryDir home;
};

/// The controls of a window whose text needs more room than the layout gave them.
std::vector<std::string> cutOff(QWidget* root)
{
    std::vector<std::string> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->window() != root)
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap())
            text = l->text();
        if (text.isEmpty())
            continue;
        if (w->width() < w->minimumSizeHint().width())
            out.push_back(w->objectName().toStdString() + " \"" + text.toStdString() + "\" " +
                          std::to_string(w->width()) + " < " + std::to_string(w->minimumSizeHint().width()));
    }
    return out;
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
        groups.emplace_back(menu->objectName() + QLatin1Char(' ') + menu->title(),
                            actionTexts(menu->actions()));
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

TEST_F(AllWindows, NoTwoEntriesOfAMenuOrDialogShareAnAcceleratorInAnyLanguage)
{
    const std::set<std::pair<QString, QString>> kept = {{"&Passkreuze", "&Platinenumriss"},
                                                        {"&Spiegeln", "&Setup..."},
                                                        {"K&acheln...", "&Abbrechen"},
                                                        {"&Calibrate...", "&Cancel"}};
    for (const int language : {0, 1, 2}) {
        Language guard(language);
        for (const WindowRow& row : windows()) {
            std::unique_ptr<QWidget> window = row.make();
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
                    EXPECT_TRUE(fresh)
                        << row.name << ", language " << language << ", " << group.toStdString() << ": \""
                        << at->second.toStdString() << "\" and \"" << text.toStdString() << "\"";
                }
            }
            discard(window.get());
        }
    }
}

TEST_F(AllWindows, EveryDialogFitsA1024By768ScreenAndShowsItsWholeTitle)
{
    for (const int language : {0, 1, 2}) {
        Language guard(language);
        for (const WindowRow& row : windows()) {
            std::unique_ptr<QWidget> window = row.make();
            auto* dialog = qobject_cast<QDialog*>(window.get());
            if (!dialog)
                continue;
            SCOPED_TRACE(testing::Message() << row.name << ", language " << language);
            const QSize size = dialog->sizeHint().expandedTo(dialog->minimumSize());
            // Room for the title bar above and a panel of the desktop below.
            EXPECT_LE(size.height(), 768 - 60);
            EXPECT_LE(size.width(), 1024);
            EXPECT_GE(size.width(), dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()) + 60)
                << dialog->windowTitle().toStdString();
        }
    }
}

TEST_F(AllWindows, NoDialogCutsOffACaptionInAnyLanguage)
{
    for (const int language : {0, 1, 2}) {
        Language guard(language);
        for (const WindowRow& row : windows()) {
            std::unique_ptr<QWidget> window = row.make();
            if (!qobject_cast<QDialog*>(window.get()))
                continue;
            SCOPED_TRACE(testing::Message() << row.name << ", language " << language);
            // The size the dialog asks for: a window system shrinks a window larger than two thirds
            // of the screen (the fit to a small screen is the test above).
            window->show();
            window->resize(window->sizeHint().expandedTo(window->minimumSize()));
            // Nested layouts are laid out by posted events.
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
            QApplication::processEvents();
            for (const std::string& control : cutOff(window.get()))
                ADD_FAILURE() << control;
            window->hide();
        }
    }
}

// The name says English and French; German is checked the same way now: no control shows a text
// of another language that the tables have in the window's language.
TEST_F(AllWindows, EnglishAndFrenchShowNoGermanDesignText)
{
    for (const MainTextRow& row : MainTextTable())
        learn(row.de, row.en, row.fr);
    SetTextObserver(&learn);
    // Build every window in every language first, so that every text of the run is learnt, then look.
    std::vector<std::tuple<int, const char*, bool, std::unique_ptr<QWidget>>> built;
    for (const int language : {0, 1, 2}) {
        Language guard(language);
        for (const WindowRow& row : windows())
            built.emplace_back(language, row.name, row.ownTexts, row.make());
    }
    static const char* const names[] = {"German", "English", "French"};
    for (auto& [language, name, hasTexts, window] : built) {
        SCOPED_TRACE(testing::Message() << name << " in " << names[language]);
        const auto texts = textsOf(window.get());
        if (hasTexts)
            EXPECT_GT(texts.size(), 1u) << "the window shows texts";
        else
            EXPECT_TRUE(texts.empty()) << texts.begin()->first.toStdString();
        const auto l = static_cast<std::size_t>(language);
        for (const auto& [text, where] : texts) {
            const bool foreign = foreignTexts[l].count(text) && !ownTexts[l].count(text);
            EXPECT_FALSE(foreign) << where.toStdString() << ": \"" << text.toStdString() << "\"";
            static const QString germanLetters = QStringLiteral("äöüßÄÖÜ");
            for (const QChar c : text)
                EXPECT_FALSE(language != 0 && germanLetters.contains(c))
                    << where.toStdString() << ": \"" << text.toStdString() << "\"";
        }
    }
    for (auto& entry : built)
        discard(std::get<3>(entry).get());
    SetTextObserver(nullptr);
}

TEST_F(AllWindows, EveryMenuEntryOfTheMainWindowHasATextInEveryLanguage)
{
    // The window has no texts of its own: an entry whose row the table lost shows nothing.
    for (const int language : {0, 1, 2}) {
        Language guard(language);
        MainWindow window(home.filePath(QStringLiteral("TREVOK40.INI")));
        SCOPED_TRACE(testing::Message() << "language " << language);
        // Every entry of the menu bar, of its menus and submenus, and of the context menus.
        QList<QAction*> entries = window.menuBar()->actions();
        EXPECT_GT(entries.size(), 5);
        for (QMenu* menu : window.findChildren<QMenu*>())
            entries += menu->actions();
        for (const QAction* a : entries)
            EXPECT_FALSE(!a->isSeparator() && a->text().isEmpty()) << a->objectName().toStdString();
        window.project().Modified = false;
    }
}

/// Where the help window shows now, or an empty URL when it is closed.
QUrl shownHelp()
{
    HelpWindow* help = CurrentHelpWindow();
    return help && help->isVisible() ? help->browser()->source() : QUrl();
}

void closeHelp()
{
    if (HelpWindow* help = CurrentHelpWindow())
        help->close();
    QApplication::processEvents();
}

TEST_F(AllWindows, EachWindowWithAHelpPageOpensItInItsLanguage)
{
    static const char* const folders[] = {"/help/de/", "/help/en/", "/help/fr/"};
    for (const int language : {0, 1, 2}) {
        Language guard(language);
        for (const WindowRow& row : windows()) {
            if (row.help == Help::None)
                continue;
            SCOPED_TRACE(testing::Message() << row.name << ", language " << language);
            const QUrl page = HelpUrl(row.topic, language);
            if (!page.isValid()) {
                ADD_FAILURE() << "no page for topic " << row.topic;
                continue;
            }
            EXPECT_TRUE(page.path().startsWith(QLatin1String(folders[language])))
                << page.toString().toStdString() << ": the page exists in the window's language";
            std::unique_ptr<QWidget> window = row.make();
            closeHelp();
            if (row.help == Help::F1 || row.help == Help::F1AndButton) {
                window->show();
                window->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
                QTest::keyClick(window.get(), Qt::Key_F1);
                EXPECT_EQ(shownHelp().toString(), page.toString()) << "F1";
                EXPECT_FALSE(CurrentHelpWindow()->browser()->toPlainText().trimmed().isEmpty());
                closeHelp();
            }
            if (row.help == Help::Button || row.help == Help::F1AndButton) {
                QAbstractButton* button = nullptr;
                if (auto* box = window->findChild<QDialogButtonBox*>())
                    button = box->button(QDialogButtonBox::Help);
                if (!button)
                    button = window->findChild<QPushButton*>(QStringLiteral("HelpBtn"));
                ASSERT_TRUE(button) << "a Help button";
                button->click();
                EXPECT_EQ(shownHelp().toString(), page.toString()) << "the Help button";
                closeHelp();
            }
            window->hide();
            discard(window.get());
        }
    }
}
