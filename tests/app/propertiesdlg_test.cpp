// The properties dialog turns its widgets back into the sheet the core applies: what was left
// alone stays as shown (so it is not written), what was changed comes back as typed, and OK
// closes only when the sheet could be applied.

#include "dialogs/propertiesdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

using F = PropertyField;

PropertySheet padAndTrackSheet()
{
    PropertySheet s;
    for (F f : {F::Layer, F::Clearance, F::ThroughPlated, F::Width, F::Corners})
        s.present[static_cast<std::size_t>(f)] = true;
    s.set(F::Layer, "1");
    s.set(F::Clearance, "0.40");
    s.set(F::ThroughPlated, ""); // differs among the elements
    s.set(F::Width, "");
    s.corners = {{"0.00", "0.00"}, {"1.00", "0.00"}};
    s.layers = {LayerK1, LayerK2};
    s.elementCount = 1;
    return s;
}

TEST(PropertiesDialog, UntouchedFieldsComeBackAsShownAndChangedOnesAsTyped)
{
    const PropertySheet shown = padAndTrackSheet();
    std::vector<PropertySheet> applied;
    std::optional<PropertyField> answer = F::Clearance;
    TPropertiesDlg dialog(shown, [&](const PropertySheet& s) {
        applied.push_back(s);
        return answer;
    });
    ASSERT_NE(dialog.edit(F::Clearance), nullptr);
    EXPECT_EQ(dialog.layerBox()->count(), 3); // blank, K1, K2
    EXPECT_EQ(dialog.check(F::ThroughPlated)->checkState(), Qt::PartiallyChecked);

    PropertySheet untouched = dialog.edited();
    EXPECT_EQ(untouched.text, shown.text);
    EXPECT_EQ(untouched.corners, shown.corners);

    dialog.edit(F::Width)->setText(" 0.5 ");
    dialog.layerBox()->setCurrentIndex(dialog.layerBox()->findData(int(LayerK2)));
    dialog.check(F::ThroughPlated)->setCheckState(Qt::Checked);
    dialog.corners()->setCurrentCell(0, 0);
    dialog.findChild<QPushButton*>(QStringLiteral("B_Hinzufuegen"))->click(); // a copy after row 0
    dialog.corners()->item(1, 1)->setText(QStringLiteral("2.00"));
    const PropertySheet typed = dialog.edited();
    EXPECT_EQ(typed.get(F::Width), "0.5");
    EXPECT_EQ(typed.get(F::Layer), "3");
    EXPECT_EQ(typed.get(F::ThroughPlated), "1");
    EXPECT_EQ(typed.get(F::Clearance), "0.40");
    EXPECT_EQ(typed.corners, (std::vector<std::pair<std::string, std::string>>{
                                 {"0.00", "0.00"}, {"0.00", "2.00"}, {"1.00", "0.00"}}));

    // OK with a sheet the board takes closes the dialog (a refused one would name the field in a
    // message box and stay open; that path is the core's test).
    answer.reset();
    dialog.show();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied.back().get(F::Width), "0.5");
}

} // namespace
