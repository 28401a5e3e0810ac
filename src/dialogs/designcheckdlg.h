#pragma once
// The design check window: the rules, the Check button, a summary by kind and the list of
// problems. It stays open beside the board; the main window runs the check and answers a
// double-click on a row by showing the place.

#include "output/designcheck.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace trevok
{

class DecimalSpinBox;

class TDesignCheckDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TDesignCheckDlg(QWidget* parent = nullptr);

    DesignRules rules() const;
    void setRules(const DesignRules& rules);
    /// Shows the result of a check; origin: the board's origin, from which positions are shown.
    void setResult(const DesignCheckResult& result, TPoint origin);
    const DesignCheckResult& result() const noexcept { return result_; }
    QTreeWidget* list() const noexcept { return list_; }
    QLabel* summary() const noexcept { return summary_; }
    QPushButton* checkButton() const noexcept { return check_; }
    QPushButton* resolveButton() const noexcept { return resolve_; }
    /// The broken routes of the list (their tracks).
    std::vector<std::size_t> brokenRouteTracks() const;

  signals:
    /// "Check": the rules as the fields show them.
    void checkRequested();
    /// A row was double-clicked: the index of its problem in result().problems.
    void problemActivated(int index);
    /// "Turn back into rubber bands" for the broken routes of the list.
    void resolveRequested();

  private:
    enum Field { Gap, Width, SmdSide, Ring, DrillMin, DrillMax, Edge, Mill, FieldCount };
    std::array<DecimalSpinBox*, FieldCount> fields_{};
    QPushButton* check_ = nullptr;
    QPushButton* resolve_ = nullptr;
    QLabel* summary_ = nullptr;
    QTreeWidget* list_ = nullptr;
    DesignCheckResult result_;
};

} // namespace trevok
