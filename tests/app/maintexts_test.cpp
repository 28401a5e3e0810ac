// The main window's texts and the tool status texts in the three languages.
#include "app/maintexts.h"
#include "languageguard.h"
#include "view/texts.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QToolButton>

#include <gtest/gtest.h>

#include <set>

using namespace trevok;

namespace
{

/// The accelerators of a text: "&x" marks one, "&&" is a literal "&".
int accelerators(const QString& text)
{
    int n = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == QLatin1Char('&')) {
            n += text[i + 1] != QLatin1Char('&');
            ++i;
        }
    return n;
}

/// The key named after a menu entry ("[Entf]", "[Del]"), or an empty text.
QString keyHint(const QString& text)
{
    const qsizetype open = text.lastIndexOf(QLatin1Char('['));
    return open < 0 ? QString() : text.mid(open);
}

} // namespace

// Every row once, with a text in each language (nullptr keeps the German one), and texts of one
// shape across the languages: one accelerator at most, a key hint where German has one, the same
// file patterns in every filter. A row the table loses leaves a menu entry without text, which
// the test of all windows finds.
TEST(MainTexts, TheTableHasEveryRowOnceAndAGermanTextForEach)
{
    std::set<TextKind> kinds;
    QSet<QString> seen;
    for (const MainTextRow& row : MainTextTable()) {
        SCOPED_TRACE(row.control);
        const QString key =
            QString::fromLatin1(row.control) + QLatin1Char('/') + QString::number(int(row.kind));
        EXPECT_FALSE(seen.contains(key)) << row.control;
        seen.insert(key);
        kinds.insert(row.kind);
        EXPECT_TRUE(row.de && *row.de) << row.control;
        EXPECT_FALSE(row.kind == TextKind::Menu && MainText(row.control, TextKind::Caption).size() > 0)
            << row.control << " has both a menu caption and a caption";
        if (!row.de)
            continue;
        const QString german = QString::fromUtf8(row.de);
        for (const char* version : {row.en, row.fr}) {
            EXPECT_TRUE(!version || *version) << "an empty translation";
            const QString text = QString::fromUtf8(version ? version : row.de);
            EXPECT_LE(accelerators(text), 1) << text.toStdString();
            EXPECT_EQ(keyHint(text).isEmpty(), keyHint(german).isEmpty()) << text.toStdString();
            if (row.kind == TextKind::Filter) {
                // "description|patterns|description|patterns": the patterns are the same files.
                const QStringList parts = text.split(QLatin1Char('|'));
                const QStringList germanParts = german.split(QLatin1Char('|'));
                ASSERT_EQ(parts.size(), germanParts.size()) << text.toStdString();
                EXPECT_EQ(parts.size() % 2, 0) << text.toStdString();
                for (qsizetype i = 1; i < parts.size(); i += 2)
                    EXPECT_EQ(parts[i].toLower(), germanParts[i].toLower()) << text.toStdString();
            }
        }
        EXPECT_LE(accelerators(german), 1) << german.toStdString();
        if (row.kind == TextKind::Hint) {
            EXPECT_LE(german.count(QLatin1Char('|')), 1) << "a hint has a short and a long part at most";
        }
    }
    EXPECT_EQ(kinds, (std::set<TextKind>{TextKind::Menu, TextKind::Caption, TextKind::Hint, TextKind::Filter,
                                         TextKind::BrowserTitle}));
}

TEST(MainTexts, EachLanguageReadsItsOwnText)
{
    {
        Language en(1);
        EXPECT_EQ(MainText("Datei1"), "&File");
        EXPECT_EQ(MainText("SB_Connect"), "Connections");
        EXPECT_EQ(MainText("SB_SMDPad"), "SMD-Pad") << "English keeps the German caption";
        EXPECT_EQ(MainText("L1"), "Layer");
        EXPECT_EQ(MainHint("TB_Neu"), "New");
        EXPECT_EQ(SplitHint(MainHint("TB_Neu")).longPart, "New")
            << "no long part: the status shows the short";
    }
    {
        Language fr(2);
        EXPECT_EQ(MainText("Datei1"), "&Fichier");
        EXPECT_EQ(MainText("SB_K1"), "C1");
        EXPECT_EQ(MainText("SB_B2"), "S2");
        EXPECT_EQ(MainText("L1"), "Couche");
        EXPECT_EQ(MainText("SB_SMDPad"), QString::fromUtf8("Pastille CMS"));
    }
    {
        Language de(0);
        EXPECT_EQ(MainText("Datei1"), "&Datei");
        EXPECT_EQ(MainText("SB_K1"), "K1");
        EXPECT_EQ(MainText("Lschen1"), QString::fromUtf8("&Löschen  [Entf]"));
        EXPECT_EQ(MainText("SaveDialog", TextKind::Filter),
                  "Layout-Dateien (*.lay)|*.lay|Alle Dateien (*.*)|*.*");
    }
    EXPECT_TRUE(MainText("NoSuchControl").isEmpty());
    EXPECT_TRUE(MainText("Datei1", TextKind::Hint).isEmpty());
}

TEST(MainTexts, HintsSplitIntoToolTipAndStatusText)
{
    EXPECT_EQ(SplitHint("Neu|Beginnt ein neues Layout").shortPart, "Neu");
    EXPECT_EQ(SplitHint("Neu|Beginnt ein neues Layout").longPart, "Beginnt ein neues Layout");
    EXPECT_EQ(SplitHint("|Nur lang").shortPart, "");
    EXPECT_EQ(SplitHint("|Nur lang").longPart, "Nur lang");
    EXPECT_EQ(SplitHint("a|b|c").longPart, "b|c");
}

TEST(MainTexts, ToolStatusTextsAreLongPartsInEveryLanguage)
{
    for (int language = 0; language < 3; ++language) {
        Language l(language);
        for (int s = 0; s <= int(ToolStatus::SmdPad); ++s) {
            const QString hint = ToolStatusHint(ToolStatus(s));
            EXPECT_TRUE(hint.startsWith('|') && hint.size() > 5) << language << " " << s;
        }
    }
    Language en(1);
    EXPECT_EQ(SplitHint(ToolStatusHint(ToolStatus::ConnectionFirst)).longPart,
              "Connection: Select first pad");
    EXPECT_EQ(SplitHint(ToolStatusHint(ToolStatus::Autoroute)).longPart,
              "Autoroute: Click on a connection to autoroute.\nClick on an existing autoroute to resolve it");
}

TEST(MainTexts, FileFiltersBecomeQtFiltersMatchingBothCases)
{
    EXPECT_EQ(QtFileFilter("Layout files (*.lay)|*.LAY|All files (*.*)|*.*"),
              "Layout files (*.lay *.LAY);;All files (*)");
    EXPECT_EQ(QtFileFilter("Bohrdaten (*.drl)|*.drl"), "Bohrdaten (*.drl *.DRL)");
    EXPECT_EQ(QtFileFilter("Bilder|*.bmp;*.gif"), "Bilder (*.bmp *.BMP *.gif *.GIF)");
}

TEST(MainTexts, ApplyingTheTableSetsCaptionsTitlesAndBothHintParts)
{
    Language en(1);
    QWidget window;
    auto* menu = new QMenu(&window);
    menu->setObjectName("Datei1");
    auto* open = menu->addAction(QString());
    open->setObjectName("ffnen1");
    auto* newButton = new QToolButton(&window);
    newButton->setObjectName("TB_Neu");
    auto* tool = new QToolButton(&window);
    tool->setObjectName("SB_AutoRoute");
    auto* label = new QLabel(&window);
    label->setObjectName("L_Abstand1");
    // A dialog of the window names its colour swatch like the layer menu: the table is not its.
    auto* dialog = new QDialog(&window);
    auto* swatch = new QPushButton(dialog);
    swatch->setObjectName("K1");

    ApplyMainTexts(&window);
    EXPECT_EQ(swatch->text(), "");
    EXPECT_EQ(menu->title(), "&File");
    EXPECT_EQ(open->text(), "&Open...");
    EXPECT_EQ(newButton->toolTip(), "New");
    EXPECT_EQ(newButton->statusTip(), "New");
    EXPECT_EQ(tool->text(), "Autoroute") << "caption and hint on one control";
    EXPECT_EQ(tool->toolTip(), "Autorouter");
    EXPECT_EQ(tool->statusTip(), "Autorouter for routing rubberband connections");
    EXPECT_EQ(label->text(), "Distance:");
}
